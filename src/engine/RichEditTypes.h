#pragma once
// The engine's message vocabulary: records, flags and message numbers under the names and with
// the values the rich edit family has always used, so that code written against those messages
// reads the same here. Every length is in twips (1/1440 inch) unless a comment says otherwise.
//
// Text crosses this surface as UTF-16 (char16_t) where the old records carried pointers to
// characters; face names travel as UTF-8 in the fixed 32-byte field.

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QPainter;
class QMimeData;
class QMenu;
class QWidget;

namespace engine {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using SHORT = std::int16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using LCID = std::uint32_t;
using COLORREF = std::uint32_t;  // 0x00BBGGRR
using DWORD_PTR = std::uintptr_t;
using WPARAM = std::intptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using HRESULT = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001u);
constexpr HRESULT E_NOINTERFACE = HRESULT(0x80004002u);
constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = HRESULT(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = HRESULT(0x80070057u);
inline bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
inline bool FAILED(HRESULT hr) { return hr < 0; }

constexpr COLORREF RGB(int r, int g, int b) {
  return COLORREF(BYTE(r)) | (COLORREF(BYTE(g)) << 8) | (COLORREF(BYTE(b)) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return BYTE(c); }
constexpr BYTE GetGValue(COLORREF c) { return BYTE(c >> 8); }
constexpr BYTE GetBValue(COLORREF c) { return BYTE(c >> 16); }
// The engine's records carry COLORREF; the toolkit draws with QColor. (The program's TColor,
// with its system colours, is base/Colors.h.)
inline QColor ColorRefToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
inline COLORREF QColorToColorRef(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

// ---- messages -------------------------------------------------------------------------------

constexpr UINT WM_USER = 0x0400;

constexpr UINT WM_SETREDRAW = 0x000B;
constexpr UINT WM_SETTEXT = 0x000C;          // lParam: const char16_t*, zero-terminated
constexpr UINT WM_GETTEXT = 0x000D;          // wParam: buffer size in characters, lParam: char16_t*
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_CUT = 0x0300;
constexpr UINT WM_COPY = 0x0301;
constexpr UINT WM_PASTE = 0x0302;
constexpr UINT WM_CLEAR = 0x0303;
constexpr UINT WM_UNDO = 0x0304;

constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_GETRECT = 0x00B2;          // lParam: RECT* (client pixels)
constexpr UINT EM_SETRECT = 0x00B3;          // lParam: const RECT*, nullptr = the client area
constexpr UINT EM_SETRECTNP = 0x00B4;
constexpr UINT EM_SCROLL = 0x00B5;
constexpr UINT EM_LINESCROLL = 0x00B6;
constexpr UINT EM_SCROLLCARET = 0x00B7;
constexpr UINT EM_GETMODIFY = 0x00B8;
constexpr UINT EM_SETMODIFY = 0x00B9;
constexpr UINT EM_GETLINECOUNT = 0x00BA;
constexpr UINT EM_LINEINDEX = 0x00BB;        // wParam: line, -1 = the caret's line
constexpr UINT EM_LINELENGTH = 0x00C1;       // wParam: a character position
constexpr UINT EM_REPLACESEL = 0x00C2;       // wParam: can undo, lParam: const char16_t*
constexpr UINT EM_GETLINE = 0x00C4;          // wParam: line, lParam: char16_t* whose first WORD holds its size
constexpr UINT EM_LIMITTEXT = 0x00C5;
constexpr UINT EM_CANUNDO = 0x00C6;
constexpr UINT EM_UNDO = 0x00C7;
constexpr UINT EM_LINEFROMCHAR = 0x00C9;
constexpr UINT EM_EMPTYUNDOBUFFER = 0x00CD;
constexpr UINT EM_GETFIRSTVISIBLELINE = 0x00CE;
constexpr UINT EM_SETREADONLY = 0x00CF;
constexpr UINT EM_POSFROMCHAR = 0x00D6;      // wParam: POINTL*, lParam: character
constexpr UINT EM_CHARFROMPOS = 0x00D7;      // lParam: const POINTL* (client pixels)

constexpr UINT EM_CANPASTE = WM_USER + 50;
constexpr UINT EM_DISPLAYBAND = WM_USER + 51;
constexpr UINT EM_EXGETSEL = WM_USER + 52;
constexpr UINT EM_EXLIMITTEXT = WM_USER + 53;
constexpr UINT EM_EXLINEFROMCHAR = WM_USER + 54;
constexpr UINT EM_EXSETSEL = WM_USER + 55;
constexpr UINT EM_FINDTEXT = WM_USER + 56;
constexpr UINT EM_FORMATRANGE = WM_USER + 57;
constexpr UINT EM_GETCHARFORMAT = WM_USER + 58;
constexpr UINT EM_GETEVENTMASK = WM_USER + 59;
constexpr UINT EM_GETOLEINTERFACE = WM_USER + 60;  // lParam: IRichEditOle** (not counted)
constexpr UINT EM_GETPARAFORMAT = WM_USER + 61;
constexpr UINT EM_GETSELTEXT = WM_USER + 62;
constexpr UINT EM_HIDESELECTION = WM_USER + 63;
constexpr UINT EM_PASTESPECIAL = WM_USER + 64;     // wParam: clipboard format (ClipboardFormat ids)
constexpr UINT EM_REQUESTRESIZE = WM_USER + 65;
constexpr UINT EM_SELECTIONTYPE = WM_USER + 66;
constexpr UINT EM_SETBKGNDCOLOR = WM_USER + 67;
constexpr UINT EM_SETCHARFORMAT = WM_USER + 68;
constexpr UINT EM_SETEVENTMASK = WM_USER + 69;
constexpr UINT EM_SETOLECALLBACK = WM_USER + 70;   // lParam: IRichEditOleCallback*
constexpr UINT EM_SETPARAFORMAT = WM_USER + 71;
constexpr UINT EM_SETTARGETDEVICE = WM_USER + 72;
constexpr UINT EM_STREAMIN = WM_USER + 73;
constexpr UINT EM_STREAMOUT = WM_USER + 74;
constexpr UINT EM_GETTEXTRANGE = WM_USER + 75;
constexpr UINT EM_FINDWORDBREAK = WM_USER + 76;
constexpr UINT EM_SETOPTIONS = WM_USER + 77;
constexpr UINT EM_GETOPTIONS = WM_USER + 78;
constexpr UINT EM_FINDTEXTEX = WM_USER + 79;
constexpr UINT EM_SETUNDOLIMIT = WM_USER + 82;
constexpr UINT EM_REDO = WM_USER + 84;
constexpr UINT EM_CANREDO = WM_USER + 85;
constexpr UINT EM_STOPGROUPTYPING = WM_USER + 88;
constexpr UINT EM_AUTOURLDETECT = WM_USER + 91;
constexpr UINT EM_GETAUTOURLDETECT = WM_USER + 92;
constexpr UINT EM_GETTEXTLENGTHEX = WM_USER + 95;
constexpr UINT EM_SETTYPOGRAPHYOPTIONS = WM_USER + 202;  // 0x4CA
constexpr UINT EM_GETTYPOGRAPHYOPTIONS = WM_USER + 203;
// The family's older number for scrolling the caret into view; answered like EM_SCROLLCARET.
constexpr UINT EM_SCROLLCARET_RE = 0x0431;

// ---- notifications --------------------------------------------------------------------------

// Command-style notifications (WM_COMMAND): no record.
constexpr UINT EN_SETFOCUS = 0x0100;
constexpr UINT EN_KILLFOCUS = 0x0200;
constexpr UINT EN_CHANGE = 0x0300;
constexpr UINT EN_UPDATE = 0x0400;
constexpr UINT EN_MAXTEXT = 0x0501;
constexpr UINT EN_HSCROLL = 0x0601;
constexpr UINT EN_VSCROLL = 0x0602;
// Record-carrying notifications (WM_NOTIFY).
constexpr UINT EN_MSGFILTER = 0x0700;
constexpr UINT EN_REQUESTRESIZE = 0x0701;
constexpr UINT EN_SELCHANGE = 0x0702;
constexpr UINT EN_DROPFILES = 0x0703;
constexpr UINT EN_PROTECTED = 0x0704;
constexpr UINT EN_CORRECTTEXT = 0x0705;
constexpr UINT EN_STOPNOUNDO = 0x0706;
constexpr UINT EN_IMECHANGE = 0x0707;
constexpr UINT EN_SAVECLIPBOARD = 0x0708;
constexpr UINT EN_OLEOPFAILED = 0x0709;
constexpr UINT EN_OBJECTPOSITIONS = 0x070A;
constexpr UINT EN_LINK = 0x070B;
constexpr UINT EN_DRAGDROPDONE = 0x070C;

// Event mask.
constexpr DWORD ENM_NONE = 0x00000000;
constexpr DWORD ENM_CHANGE = 0x00000001;
constexpr DWORD ENM_UPDATE = 0x00000002;
constexpr DWORD ENM_SCROLL = 0x00000004;
constexpr DWORD ENM_SCROLLEVENTS = 0x00000008;
constexpr DWORD ENM_DRAGDROPDONE = 0x00000010;
constexpr DWORD ENM_KEYEVENTS = 0x00010000;
constexpr DWORD ENM_MOUSEEVENTS = 0x00020000;
constexpr DWORD ENM_REQUESTRESIZE = 0x00040000;
constexpr DWORD ENM_SELCHANGE = 0x00080000;
constexpr DWORD ENM_DROPFILES = 0x00100000;
constexpr DWORD ENM_PROTECTED = 0x00200000;
constexpr DWORD ENM_CORRECTTEXT = 0x00400000;
constexpr DWORD ENM_IMECHANGE = 0x00800000;
constexpr DWORD ENM_LANGCHANGE = 0x01000000;
constexpr DWORD ENM_OBJECTPOSITIONS = 0x02000000;
constexpr DWORD ENM_LINK = 0x04000000;

// ---- records --------------------------------------------------------------------------------

struct RECT {
  LONG left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const RECT&, const RECT&) = default;
};
struct POINTL {
  LONG x = 0, y = 0;
};
struct SIZEL {
  LONG cx = 0, cy = 0;
};

struct NMHDR {
  void* hwndFrom = nullptr;  // the TRichEngine that sends
  std::uintptr_t idFrom = 0;
  UINT code = 0;
};

struct CHARRANGE {
  LONG cpMin = 0;
  LONG cpMax = 0;  // -1 with cpMin 0: everything
  friend bool operator==(const CHARRANGE&, const CHARRANGE&) = default;
};

struct TEXTRANGE {
  CHARRANGE chrg;
  char16_t* lpstrText = nullptr;  // receives cpMax - cpMin characters and a terminating zero
};

// Stream callback: fill (stream in) or take (stream out) up to cb bytes at pbBuff, report the
// count in *pcb; a nonzero return ends the transfer and becomes dwError.
using EDITSTREAMCALLBACK = std::function<DWORD(DWORD_PTR dwCookie, BYTE* pbBuff, LONG cb, LONG* pcb)>;
struct EDITSTREAM {
  DWORD_PTR dwCookie = 0;
  DWORD dwError = 0;
  EDITSTREAMCALLBACK pfnCallback;
};

constexpr DWORD SF_TEXT = 0x0001;
constexpr DWORD SF_RTF = 0x0002;
constexpr DWORD SF_RTFNOOBJS = 0x0003;
constexpr DWORD SF_TEXTIZED = 0x0004;
constexpr DWORD SF_UNICODE = 0x0010;  // text as UTF-16 instead of UTF-8
constexpr DWORD SF_KINDMASK = SF_TEXT | SF_RTF | SF_TEXTIZED;  // the kind of data, without flags
constexpr DWORD SFF_SELECTION = 0x8000;
constexpr DWORD SFF_PLAINRTF = 0x4000;

// Character format. Version 1 is the first 60 bytes; version 2 adds the rest (84 bytes).
constexpr int LF_FACESIZE = 32;
struct CHARFORMAT {
  UINT cbSize = sizeof(CHARFORMAT);
  DWORD dwMask = 0;
  DWORD dwEffects = 0;
  LONG yHeight = 0;  // twips
  LONG yOffset = 0;  // twips, > 0 superscript, < 0 subscript
  COLORREF crTextColor = 0;
  BYTE bCharSet = 0;
  BYTE bPitchAndFamily = 0;
  char szFaceName[LF_FACESIZE] = {};  // UTF-8, zero-terminated
};
struct CHARFORMAT2 : CHARFORMAT {
  CHARFORMAT2() { cbSize = sizeof(CHARFORMAT2); }
  WORD wWeight = 0;
  SHORT sSpacing = 0;
  COLORREF crBackColor = 0;
  LCID lcid = 0;
  DWORD dwReserved = 0;
  SHORT sStyle = 0;
  WORD wKerning = 0;
  BYTE bUnderlineType = 0;
  BYTE bAnimation = 0;
  BYTE bRevAuthor = 0;
  BYTE bReserved1 = 0;
};
static_assert(sizeof(CHARFORMAT) == 60);
static_assert(sizeof(CHARFORMAT2) == 84);

// bCharSet and bPitchAndFamily.
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE PITCH_MASK = DEFAULT_PITCH | FIXED_PITCH | VARIABLE_PITCH;
// bUnderlineType.
constexpr BYTE CFU_UNDERLINENONE = 0;
constexpr BYTE CFU_UNDERLINE = 1;
constexpr BYTE CFU_UNDERLINEWORD = 2;
constexpr BYTE CFU_UNDERLINEDOUBLE = 3;
constexpr BYTE CFU_UNDERLINEDOTTED = 4;
constexpr BYTE CFU_UNDERLINEDASH = 5;
constexpr BYTE CFU_UNDERLINEDASHDOT = 6;
constexpr BYTE CFU_UNDERLINEDASHDOTDOT = 7;
constexpr BYTE CFU_UNDERLINEWAVE = 8;
constexpr BYTE CFU_UNDERLINETHICK = 9;
constexpr BYTE CFU_UNDERLINEHAIRLINE = 10;
constexpr BYTE CFU_UNDERLINEDOUBLEWAVE = 11;
constexpr BYTE CFU_UNDERLINEHEAVYWAVE = 12;
constexpr BYTE CFU_UNDERLINELONGDASH = 13;
constexpr BYTE CFU_UNDERLINETHICKDASH = 14;
constexpr BYTE CFU_UNDERLINETHICKDASHDOT = 15;
constexpr BYTE CFU_UNDERLINETHICKDASHDOTDOT = 16;
constexpr BYTE CFU_UNDERLINETHICKDOTTED = 17;
constexpr BYTE CFU_UNDERLINETHICKLONGDASH = 18;

QString FaceName(const CHARFORMAT& cf);
void SetFaceName(CHARFORMAT& cf, const QString& name);  // cut to what fits in 31 bytes

constexpr DWORD CFM_BOLD = 0x00000001;
constexpr DWORD CFM_ITALIC = 0x00000002;
constexpr DWORD CFM_UNDERLINE = 0x00000004;
constexpr DWORD CFM_STRIKEOUT = 0x00000008;
constexpr DWORD CFM_PROTECTED = 0x00000010;
constexpr DWORD CFM_LINK = 0x00000020;
constexpr DWORD CFM_SMALLCAPS = 0x00000040;
constexpr DWORD CFM_ALLCAPS = 0x00000080;
constexpr DWORD CFM_HIDDEN = 0x00000100;
constexpr DWORD CFM_OUTLINE = 0x00000200;
constexpr DWORD CFM_SHADOW = 0x00000400;
constexpr DWORD CFM_SPACING = 0x00200000;
constexpr DWORD CFM_KERNING = 0x00100000;
constexpr DWORD CFM_SUBSCRIPT = 0x00030000;
constexpr DWORD CFM_SUPERSCRIPT = CFM_SUBSCRIPT;
constexpr DWORD CFM_UNDERLINETYPE = 0x00800000;
constexpr DWORD CFM_WEIGHT = 0x00400000;
constexpr DWORD CFM_LCID = 0x02000000;
constexpr DWORD CFM_BACKCOLOR = 0x04000000;
constexpr DWORD CFM_CHARSET = 0x08000000;
constexpr DWORD CFM_OFFSET = 0x10000000;
constexpr DWORD CFM_FACE = 0x20000000;
constexpr DWORD CFM_COLOR = 0x40000000;
constexpr DWORD CFM_SIZE = 0x80000000;
// CFE_AUTOCOLOR shares its bit with CFM_COLOR.
constexpr DWORD CFM_EFFECTS = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_COLOR | CFM_STRIKEOUT | CFM_PROTECTED |
                              CFM_LINK;
constexpr DWORD CFM_ALL = CFM_EFFECTS | CFM_SIZE | CFM_FACE | CFM_OFFSET | CFM_CHARSET;
constexpr DWORD CFM_ALL2 = CFM_ALL | CFM_BACKCOLOR | CFM_SUBSCRIPT | CFM_WEIGHT | CFM_UNDERLINETYPE |
                           CFM_LCID | CFM_SMALLCAPS | CFM_ALLCAPS | CFM_HIDDEN | CFM_OUTLINE | CFM_SHADOW |
                           CFM_SPACING | CFM_KERNING;

constexpr DWORD CFE_BOLD = 0x00000001;
constexpr DWORD CFE_ITALIC = 0x00000002;
constexpr DWORD CFE_UNDERLINE = 0x00000004;
constexpr DWORD CFE_STRIKEOUT = 0x00000008;
constexpr DWORD CFE_PROTECTED = 0x00000010;
constexpr DWORD CFE_LINK = 0x00000020;
constexpr DWORD CFE_SMALLCAPS = 0x00000040;
constexpr DWORD CFE_ALLCAPS = 0x00000080;
constexpr DWORD CFE_HIDDEN = 0x00000100;
constexpr DWORD CFE_OUTLINE = 0x00000200;
constexpr DWORD CFE_SHADOW = 0x00000400;
constexpr DWORD CFE_SUBSCRIPT = 0x00010000;
constexpr DWORD CFE_SUPERSCRIPT = 0x00020000;
constexpr DWORD CFE_AUTOBACKCOLOR = CFM_BACKCOLOR;
constexpr DWORD CFE_AUTOCOLOR = 0x40000000;

constexpr DWORD SCF_DEFAULT = 0x0000;    // the typing default (the format new text takes)
constexpr DWORD SCF_SELECTION = 0x0001;
constexpr DWORD SCF_WORD = 0x0002;
constexpr DWORD SCF_ALL = 0x0004;

// Paragraph format. Version 1 is 156 bytes, version 2 is 188 bytes.
constexpr int MAX_TAB_STOPS = 32;
struct PARAFORMAT {
  UINT cbSize = sizeof(PARAFORMAT);
  DWORD dwMask = 0;
  WORD wNumbering = 0;  // 0 none, PFN_BULLET ...
  WORD wEffects = 0;
  LONG dxStartIndent = 0;  // where the first line starts
  LONG dxRightIndent = 0;
  LONG dxOffset = 0;       // other lines start at dxStartIndent + dxOffset
  WORD wAlignment = 0;     // PFA_*
  SHORT cTabCount = 0;
  LONG rgxTabs[MAX_TAB_STOPS] = {};
};
struct PARAFORMAT2 : PARAFORMAT {
  PARAFORMAT2() { cbSize = sizeof(PARAFORMAT2); }
  LONG dySpaceBefore = 0;
  LONG dySpaceAfter = 0;
  LONG dyLineSpacing = 0;  // meaning by bLineSpacingRule
  SHORT sStyle = 0;
  BYTE bLineSpacingRule = 0;  // 0 single, 1 one and a half, 2 double, 3 at least, 4 exactly,
                              // 5 dyLineSpacing / 20 lines
  BYTE bOutlineLevel = 0;
  WORD wShadingWeight = 0;
  WORD wShadingStyle = 0;
  WORD wNumberingStart = 0;
  WORD wNumberingStyle = 0;
  WORD wNumberingTab = 0;
  WORD wBorderSpace = 0;
  WORD wBorderWidth = 0;
  WORD wBorders = 0;
};
static_assert(sizeof(PARAFORMAT) == 156);
static_assert(sizeof(PARAFORMAT2) == 188);

constexpr DWORD PFM_STARTINDENT = 0x00000001;
constexpr DWORD PFM_RIGHTINDENT = 0x00000002;
constexpr DWORD PFM_OFFSET = 0x00000004;
constexpr DWORD PFM_ALIGNMENT = 0x00000008;
constexpr DWORD PFM_TABSTOPS = 0x00000010;
constexpr DWORD PFM_NUMBERING = 0x00000020;
constexpr DWORD PFM_SPACEBEFORE = 0x00000040;
constexpr DWORD PFM_SPACEAFTER = 0x00000080;
constexpr DWORD PFM_LINESPACING = 0x00000100;
constexpr DWORD PFM_STYLE = 0x00000400;
constexpr DWORD PFM_BORDER = 0x00000800;
constexpr DWORD PFM_SHADING = 0x00001000;
constexpr DWORD PFM_NUMBERINGSTYLE = 0x00002000;
constexpr DWORD PFM_NUMBERINGTAB = 0x00004000;
constexpr DWORD PFM_NUMBERINGSTART = 0x00008000;
constexpr DWORD PFM_RTLPARA = 0x00010000;
constexpr DWORD PFM_KEEP = 0x00020000;
constexpr DWORD PFM_KEEPNEXT = 0x00040000;
constexpr DWORD PFM_PAGEBREAKBEFORE = 0x00080000;
constexpr DWORD PFM_NOLINENUMBER = 0x00100000;
constexpr DWORD PFM_NOWIDOWCONTROL = 0x00200000;
constexpr DWORD PFM_TABLE = 0x40000000;
constexpr DWORD PFM_OFFSETINDENT = 0x80000000;  // dxStartIndent is added to the current indent
constexpr DWORD PFM_ALL = PFM_STARTINDENT | PFM_RIGHTINDENT | PFM_OFFSET | PFM_ALIGNMENT |
                          PFM_TABSTOPS | PFM_NUMBERING | PFM_OFFSETINDENT;
// The effects in wEffects, each with its mask bit above shifted down by 16.
constexpr DWORD PFM_EFFECTS = PFM_RTLPARA | PFM_KEEP | PFM_KEEPNEXT | PFM_PAGEBREAKBEFORE | PFM_NOLINENUMBER |
                              PFM_NOWIDOWCONTROL | PFM_TABLE;
constexpr DWORD PFM_ALL2 = PFM_ALL | PFM_SPACEBEFORE | PFM_SPACEAFTER | PFM_LINESPACING |
                           PFM_NUMBERINGSTYLE | PFM_NUMBERINGTAB | PFM_NUMBERINGSTART | PFM_BORDER |
                           PFM_SHADING | PFM_EFFECTS;
constexpr WORD PFE_RTLPARA = PFM_RTLPARA >> 16;
constexpr WORD PFE_KEEP = PFM_KEEP >> 16;
constexpr WORD PFE_KEEPNEXT = PFM_KEEPNEXT >> 16;
constexpr WORD PFE_PAGEBREAKBEFORE = PFM_PAGEBREAKBEFORE >> 16;
constexpr WORD PFE_NOLINENUMBER = PFM_NOLINENUMBER >> 16;
constexpr WORD PFE_NOWIDOWCONTROL = PFM_NOWIDOWCONTROL >> 16;
constexpr WORD PFE_TABLE = PFM_TABLE >> 16;  // the paragraph is in a table (read only)

constexpr WORD PFN_BULLET = 1;
constexpr WORD PFN_ARABIC = 2;
constexpr WORD PFN_LCLETTER = 3;
constexpr WORD PFN_UCLETTER = 4;
constexpr WORD PFN_LCROMAN = 5;
constexpr WORD PFN_UCROMAN = 6;

// rgxTabs: the position in the low 24 bits, the tab's alignment in bits 24-27 (0 left, 1 centre,
// 2 right, 3 decimal, 4 bar) and its leader in bits 28-31 (0 none, 1 dots, 2 dashes, 3 underline,
// 4 thick line, 5 double line).
constexpr LONG TAB_POSITION_MASK = 0x00FFFFFF;
// wBorders: the sides (1 left, 2 right, 4 top, 8 bottom, 16 between, 32 outside of a box), the
// line style in bits 8-11 (1 single, 2 thick, 7 double, ...); wBorderWidth and wBorderSpace in
// twips. wShadingWeight: hundredths of the foreground colour laid over the background;
// wShadingStyle: the pattern in bits 0-3.

constexpr WORD PFA_LEFT = 1;
constexpr WORD PFA_RIGHT = 2;
constexpr WORD PFA_CENTER = 3;
constexpr WORD PFA_JUSTIFY = 4;

// Find.
constexpr DWORD FR_DOWN = 0x00000001;
constexpr DWORD FR_WHOLEWORD = 0x00000002;
constexpr DWORD FR_MATCHCASE = 0x00000004;

struct FINDTEXT {
  CHARRANGE chrg;                   // searched range; cpMax -1 = to the end
  const char16_t* lpstrText = nullptr;  // zero-terminated
};
struct FINDTEXTEX {
  CHARRANGE chrg;
  const char16_t* lpstrText = nullptr;
  CHARRANGE chrgText;  // receives the match, or -1/-1
};

// Drawing a range onto a device. The painter stands in for the device contexts: its device
// (screen widget, image, printer, PDF writer) gives the logical DPI that maps the twips.
// rc and rcPage are twips from the device's origin.
struct FORMATRANGE {
  QPainter* hdc = nullptr;        // drawn into (render)
  QPainter* hdcTarget = nullptr;  // measured for; may equal hdc
  RECT rc;
  RECT rcPage;
  CHARRANGE chrg;
};

// Selection type (EM_SELECTIONTYPE).
constexpr WORD SEL_EMPTY = 0x0000;
constexpr WORD SEL_TEXT = 0x0001;
constexpr WORD SEL_OBJECT = 0x0002;
constexpr WORD SEL_MULTICHAR = 0x0004;
constexpr WORD SEL_MULTIOBJECT = 0x0008;

// Typography options (EM_SETTYPOGRAPHYOPTIONS wParam: values, lParam: mask).
constexpr DWORD TO_ADVANCEDTYPOGRAPHY = 0x0001;
constexpr DWORD TO_SIMPLELINEBREAK = 0x0002;

// Edit options (EM_SETOPTIONS).
constexpr DWORD ECOOP_SET = 0x0001;
constexpr DWORD ECOOP_OR = 0x0002;
constexpr DWORD ECOOP_AND = 0x0003;
constexpr DWORD ECOOP_XOR = 0x0004;
constexpr DWORD ECO_AUTOWORDSELECTION = 0x00000001;
constexpr DWORD ECO_AUTOVSCROLL = 0x00000040;
constexpr DWORD ECO_AUTOHSCROLL = 0x00000080;
constexpr DWORD ECO_NOHIDESEL = 0x00000100;
constexpr DWORD ECO_READONLY = 0x00000800;
constexpr DWORD ECO_WANTRETURN = 0x00001000;
constexpr DWORD ECO_SAVESEL = 0x00008000;
constexpr DWORD ECO_SELECTIONBAR = 0x01000000;
constexpr DWORD ECO_VERTICAL = 0x00400000;

// Clipboard formats the engine knows (wParam of EM_PASTESPECIAL and EM_CANPASTE; 0 = any).
enum ClipboardFormat : UINT {
  CF_TEXT = 1,
  CF_BITMAP = 2,
  CF_METAFILEPICT = 3,
  CF_DIB = 8,
  CF_UNICODETEXT = 13,
  CF_ENHMETAFILE = 14,
  CF_RTF = 0xC000,  // "text/rtf", the registered "Rich Text Format"
  CF_RTFNOOBJS,
  CF_HTML,          // "text/html"
};
// The MIME type behind a format (empty when the engine has none); RegisterClipboardFormat
// gives formats for further MIME types, numbered from kFirstRegisteredFormat.
constexpr UINT kFirstRegisteredFormat = 0xC100;
// The MIME types of the rich text flavours (an older one is still read).
constexpr const char* kMimeRtf = "text/rtf";
constexpr const char* kMimeRtfApp = "application/rtf";
constexpr const char* kMimeHtml = "text/html";
QString ClipboardFormatMime(UINT format);
UINT RegisterClipboardFormat(const QString& mimeType);

// ---- notification records -------------------------------------------------------------------

struct SELCHANGE {
  NMHDR nmhdr;
  CHARRANGE chrg;
  WORD seltyp = 0;  // SEL_*
};
struct REQRESIZE {
  NMHDR nmhdr;
  RECT rc;  // the size the whole text needs, client pixels
};
// EN_PROTECTED: return nonzero to refuse the change.
struct ENPROTECTED {
  NMHDR nmhdr;
  UINT msg = 0;  // WM_CHAR, WM_CUT, WM_PASTE, EM_REPLACESEL, EM_SETCHARFORMAT, ...
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  CHARRANGE chrg;  // the protected range touched
};
// EN_SAVECLIPBOARD, sent when the engine is destroyed while its text is on the clipboard:
// return nonzero to keep it off the clipboard.
struct ENSAVECLIPBOARD {
  NMHDR nmhdr;
  LONG cObjectCount = 0;
  LONG cch = 0;
};
struct ENLINK {
  NMHDR nmhdr;
  UINT msg = 0;  // WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE, WM_SETCURSOR, ...
  WPARAM wParam = 0;  // MK_* buttons held
  LPARAM lParam = 0;  // the point, client pixels (x in the low 16 bits, y in the high)
  CHARRANGE chrg;     // the link's characters
};
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
inline LPARAM MAKELPARAM(int lo, int hi) { return LPARAM(DWORD(WORD(lo)) | (DWORD(WORD(hi)) << 16)); }
inline int GET_X_LPARAM(LPARAM l) { return SHORT(WORD(DWORD(l))); }
inline int GET_Y_LPARAM(LPARAM l) { return SHORT(WORD(DWORD(l) >> 16)); }

// ---- embedded objects -----------------------------------------------------------------------

// Draw aspects.
constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD DVASPECT_THUMBNAIL = 2;
constexpr DWORD DVASPECT_ICON = 4;
constexpr DWORD DVASPECT_DOCPRINT = 8;

constexpr LONG REO_CP_SELECTION = -1;
constexpr LONG REO_IOB_SELECTION = -1;
constexpr LONG REO_IOB_USE_CP = -2;

constexpr DWORD REO_GETOBJ_NO_INTERFACES = 0x00000000;
constexpr DWORD REO_GETOBJ_POLEOBJ = 0x00000001;
constexpr DWORD REO_GETOBJ_PSTG = 0x00000002;
constexpr DWORD REO_GETOBJ_POLESITE = 0x00000004;
constexpr DWORD REO_GETOBJ_ALL_INTERFACES = 0x00000007;

constexpr DWORD REO_NULL = 0x00000000;
constexpr DWORD REO_READWRITEMASK = 0x0000003F;
constexpr DWORD REO_DONTNEEDPALETTE = 0x00000020;
constexpr DWORD REO_BLANK = 0x00000010;
constexpr DWORD REO_DYNAMICSIZE = 0x00000008;
constexpr DWORD REO_INVERTEDSELECT = 0x00000004;
constexpr DWORD REO_BELOWBASELINE = 0x00000002;
constexpr DWORD REO_RESIZABLE = 0x00000001;
constexpr DWORD REO_LINK = 0x80000000;
constexpr DWORD REO_STATIC = 0x40000000;
constexpr DWORD REO_SELECTED = 0x08000000;
constexpr DWORD REO_OPEN = 0x04000000;
constexpr DWORD REO_INPLACEACTIVE = 0x02000000;
constexpr DWORD REO_HILITED = 0x01000000;
constexpr DWORD REO_LINKAVAILABLE = 0x00800000;
constexpr DWORD REO_GETMETAFILE = 0x00400000;

// Drop effects and key state for GetDragDropEffect.
constexpr DWORD DROPEFFECT_NONE = 0;
constexpr DWORD DROPEFFECT_COPY = 1;
constexpr DWORD DROPEFFECT_MOVE = 2;
constexpr DWORD DROPEFFECT_LINK = 4;
constexpr DWORD MK_KEYSTATE_CONTROL = 0x0008;
constexpr DWORD MK_KEYSTATE_SHIFT = 0x0004;

// Verbs: what an object can do, listed by IOleObject::EnumVerb. Negative numbers are the
// standard verbs every object understands.
constexpr LONG OLEIVERB_PRIMARY = 0;
constexpr LONG OLEIVERB_SHOW = -1;
constexpr LONG OLEIVERB_OPEN = -2;
constexpr LONG OLEIVERB_HIDE = -3;
constexpr DWORD OLEVERBATTRIB_NEVERDIRTIES = 1;
constexpr DWORD OLEVERBATTRIB_ONCONTAINERMENU = 2;
struct OLEVERB {
  LONG lVerb = 0;
  QString lpszVerbName;  // with its "&" mnemonic
  DWORD fuFlags = 0;     // menu flags
  DWORD grfAttribs = 0;  // OLEVERBATTRIB_*
};

// Forms of an object's user type name (IOleObject::UserType).
constexpr DWORD USERCLASSTYPE_FULL = 1;
constexpr DWORD USERCLASSTYPE_SHORT = 2;
constexpr DWORD USERCLASSTYPE_APPNAME = 3;

// Result codes of the object runtime.
constexpr HRESULT E_UNEXPECTED = HRESULT(0x8000FFFFu);
constexpr HRESULT E_ACCESSDENIED = HRESULT(0x80070005u);
constexpr HRESULT OLE_E_CANT_BINDTOSOURCE = HRESULT(0x8004000Au);
constexpr HRESULT OLE_E_STATIC = HRESULT(0x8004000Bu);
constexpr HRESULT OLEOBJ_E_NOVERBS = HRESULT(0x80040180u);
constexpr HRESULT OLEOBJ_E_INVALIDVERB = HRESULT(0x80040181u);
constexpr HRESULT DV_E_DVASPECT = HRESULT(0x8004006Bu);

// Told about an object's changes (IOleObject::Advise).
class IAdviseSink {
 public:
  virtual ~IAdviseSink() = default;
  virtual void OnDataChange() = 0;
  virtual void OnViewChange(DWORD aspect, LONG index) = 0;
  virtual void OnRename(const QString& name) = 0;
  virtual void OnSave() = 0;
  virtual void OnClose() = 0;
};

// Link update options.
constexpr DWORD OLEUPDATE_ALWAYS = 1;
constexpr DWORD OLEUPDATE_ONCALL = 3;
// A link's source as a moniker: its elements in order, each a file or an item inside one.
struct MONIKER {
  struct Element {
    bool isFile = false;
    QString displayName;
  };
  QList<Element> elements;  // one element: a simple moniker; more: a generic composite
};
// A linked object's link (IOleObject::QueryLink).
class IOleLink {
 public:
  virtual ~IOleLink() = default;
  virtual HRESULT SetUpdateOptions(DWORD options) = 0;
  virtual HRESULT GetUpdateOptions(DWORD* options) = 0;
  virtual HRESULT SetSourceDisplayName(const QString& name) = 0;
  virtual HRESULT GetSourceDisplayName(QString* name) = 0;
  virtual HRESULT GetSourceMoniker(MONIKER* moniker) = 0;
};

// Caching advice.
constexpr DWORD ADVF_NODATA = 1;
constexpr DWORD ADVF_PRIMEFIRST = 2;
struct STATDATA {
  DWORD aspect = 0;
  DWORD advf = 0;
  DWORD connection = 0;
};
// The presentations an object keeps for drawing (IOleObject::QueryCache): one entry per aspect;
// the icon aspect's picture is set by the container.
class IOleCache {
 public:
  virtual ~IOleCache() = default;
  virtual HRESULT Cache(DWORD aspect, DWORD advf, DWORD* connection) = 0;
  virtual HRESULT Uncache(DWORD connection) = 0;
  virtual HRESULT EnumCache(QList<STATDATA>* entries) = 0;
  virtual HRESULT SetData(DWORD aspect, const QImage& picture) = 0;
  // The cached picture of an aspect.
  virtual HRESULT GetData(DWORD aspect, QImage* picture) = 0;
};

class IOleClientSite;

// What a host (the platform's object layer) supplies for an embedded object. The engine itself
// only keeps, draws and writes back the object's stored form; everything an object does comes
// through this interface.
class IOleObject {
 public:
  virtual ~IOleObject() = default;
  virtual QString ClassName() const = 0;      // \objclass
  virtual QString UserType(int form) const = 0;  // 1 full, 2 short, 3 application name
  virtual HRESULT DoVerb(LONG verb) = 0;
  virtual HRESULT Update() = 0;
  // The object's stored form: a complete {\object ...} group (with its \result picture).
  virtual QByteArray ObjectRtf() const = 0;

  // A verb carried out for a container: its site, its window (the owner of anything the verb
  // shows) and the object's rectangle there.
  virtual HRESULT DoVerb(LONG verb, IOleClientSite*, QWidget*, const QRect&) { return DoVerb(verb); }
  // The verb at index (0, 1, ...); a failure past the last one.
  virtual HRESULT EnumVerb(LONG, OLEVERB*) { return OLEOBJ_E_NOVERBS; }
  // The sink stays registered as long as the object lives.
  virtual HRESULT Advise(std::shared_ptr<IAdviseSink>, DWORD* connection) {
    if (connection) *connection = 0;
    return E_NOTIMPL;
  }
  virtual HRESULT GetUserClassID(QString* clsid) {
    if (!clsid) return E_INVALIDARG;
    *clsid = ClassName();
    return S_OK;
  }
  virtual IOleLink* QueryLink() { return nullptr; }
  virtual IOleCache* QueryCache() { return nullptr; }
  // Why the last failed operation failed, for the user; empty when nothing more is known.
  virtual QString ErrorText() const { return {}; }
};

// An object's storage: the bytes an object keeps for itself.
class IStorage {
 public:
  virtual ~IStorage() = default;
  virtual QByteArray& Data() = 0;
};

class IOleClientSite {
 public:
  virtual ~IOleClientSite() = default;
  // The object tells its container that it changed: the engine rewrites the stored form.
  virtual HRESULT SaveObject() = 0;
};

struct REOBJECT {
  DWORD cbStruct = sizeof(REOBJECT);
  LONG cp = 0;        // position of the object's character; REO_CP_SELECTION on insert
  QString clsid;      // the object's class name
  IOleObject* poleobj = nullptr;  // not owned; nullptr for an object read from RTF with no host
  IStorage* pstg = nullptr;
  IOleClientSite* polesite = nullptr;
  SIZEL sizel;        // twips; 0/0 = the object's natural size
  DWORD dvaspect = DVASPECT_CONTENT;
  DWORD dwFlags = 0;  // REO_*
  DWORD dwUser = 0;
  QByteArray objectRtf;  // the stored {\object ...} group as read or written
};

// The engine's object interface (EM_GETOLEINTERFACE). Owned by the engine.
class IRichEditOle {
 public:
  virtual ~IRichEditOle() = default;
  virtual HRESULT GetClientSite(IOleClientSite** site) = 0;
  virtual LONG GetObjectCount() = 0;
  virtual LONG GetLinkCount() = 0;
  // iob: the index in text order, REO_IOB_SELECTION (the one selected object) or REO_IOB_USE_CP
  // (the object at reo->cp). dwFlags REO_GETOBJ_*.
  virtual HRESULT GetObject(LONG iob, REOBJECT* reo, DWORD dwFlags) = 0;
  // Inserts at reo->cp (REO_CP_SELECTION: replacing the selection). An object with objectRtf
  // empty and a poleobj takes its stored form from poleobj->ObjectRtf().
  virtual HRESULT InsertObject(REOBJECT* reo) = 0;
  virtual HRESULT ConvertObject(LONG iob, const QString& clsidNew, const QString& userTypeNew) = 0;
  virtual HRESULT ActivateAs(const QString& clsid, const QString& clsidAs) = 0;
  virtual HRESULT SetHostNames(const QString& app, const QString& obj) = 0;
  virtual HRESULT SetLinkAvailable(LONG iob, bool available) = 0;
  virtual HRESULT SetDvaspect(LONG iob, DWORD dvaspect) = 0;
  virtual HRESULT HandsOffStorage(LONG iob) = 0;
  virtual HRESULT SaveCompleted(LONG iob, IStorage* stg) = 0;
  virtual HRESULT InPlaceDeactivate() = 0;
  virtual HRESULT ContextSensitiveHelp(bool enterMode) = 0;
};

// What the engine asks its host about objects (EM_SETOLECALLBACK). Not owned by the engine.
class IRichEditOleCallback {
 public:
  virtual ~IRichEditOleCallback() = default;
  virtual HRESULT GetNewStorage(IStorage** stg) = 0;
  virtual HRESULT GetInPlaceContext() = 0;
  virtual HRESULT ShowContainerUI(bool show) = 0;
  virtual HRESULT QueryInsertObject(const QString& clsid, IStorage* stg, LONG cp) = 0;
  virtual HRESULT DeleteObject(IOleObject* obj) = 0;
  // reco: RECO_PASTE, RECO_DROP, ...; *format may be changed to the format to take.
  virtual HRESULT QueryAcceptData(const QMimeData* data, UINT* format, DWORD reco, bool really) = 0;
  virtual HRESULT ContextSensitiveHelp(bool enterMode) = 0;
  // Returning S_OK with *data set hands the engine the clipboard contents to use.
  virtual HRESULT GetClipboardData(CHARRANGE* chrg, DWORD reco, QMimeData** data) = 0;
  virtual HRESULT GetDragDropEffect(bool drag, DWORD keyState, DWORD* effect) = 0;
  // seltype SEL_*; obj: the selected object or nullptr; *menu: a menu for the engine to show
  // (the engine does not own it), or nullptr.
  virtual HRESULT GetContextMenu(WORD seltype, IOleObject* obj, CHARRANGE* chrg, QMenu** menu) = 0;
  // A host for an object read from RTF (stored->objectRtf), asked for when the object's
  // interface is first needed or its stored form no longer matches its host's. The callback may
  // set stored->dvaspect to the aspect the object is drawn in.
  virtual HRESULT LoadObject(REOBJECT* stored, IOleObject** obj) {
    (void)stored;
    if (obj) *obj = nullptr;
    return E_NOTIMPL;
  }
};

// EN_OLEOPFAILED: an object did not carry out what the engine asked of it.
constexpr LONG OLEOP_DOVERB = 1;
struct ENOLEOPFAILED {
  NMHDR nmhdr;
  LONG iob = 0;
  LONG lOper = OLEOP_DOVERB;
  HRESULT hr = S_OK;
};

constexpr DWORD RECO_PASTE = 0;
constexpr DWORD RECO_DROP = 1;
constexpr DWORD RECO_COPY = 2;
constexpr DWORD RECO_CUT = 3;
constexpr DWORD RECO_DRAG = 4;

}  // namespace engine
