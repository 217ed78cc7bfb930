#include "rtf/RtfKeywords.h"

#include <unordered_map>

#include "rtf/Borders.h"

namespace rtf {

namespace {

const std::unordered_map<std::string_view, KwEntry>& Table() {
  static const std::unordered_map<std::string_view, KwEntry> map = {
      {"fonttbl", {kwFonttbl, 0}}, {"colortbl", {kwColortbl, 0}}, {"pict", {kwPict, 0}},
      {"object", {kwObject, 0}}, {"objclass", {kwObjclass, 0}}, {"objdata", {kwObjdata, 0}},
      {"result", {kwResult, 0}}, {"field", {kwField, 0}}, {"fldinst", {kwFldinst, 0}},
      {"fldrslt", {kwFldrslt, 0}}, {"pn", {kwPn, 0}}, {"listtable", {kwListtable, 0}},
      {"listoverridetable", {kwListoverridetable, 0}}, {"shppict", {kwShppict, 0}},
      // Row properties of nested tables: some writers put the cells' text inside, and nothing
      // in it is harmful to read.
      {"nesttableprops", {kwNesttableprops, 0}},
      {"upr", {kwUpr, 0}}, {"ud", {kwUd, 0}},
      // Destinations whose text is not part of the body.
      {"stylesheet", {kwSkipDest, 0}}, {"info", {kwInfo, 0}}, {"header", {kwHeaderFooter, 0}},
      {"headerl", {kwHeaderFooter, 0}}, {"headerr", {kwHeaderFooter, 0}}, {"headerf", {kwHeaderFooter, 0}},
      {"footer", {kwHeaderFooter, 0}}, {"footerl", {kwHeaderFooter, 0}}, {"footerr", {kwHeaderFooter, 0}},
      {"footerf", {kwHeaderFooter, 0}}, {"ftnalt", {kwFtnalt, 0}}, {"nonesttables", {kwSkipDest, 0}}, {"footnote", {kwFootnote, 0}}, {"pntext", {kwSkipDest, 0}},
      {"listtext", {kwSkipDest, 0}}, {"pnseclvl", {kwSkipDest, 0}},
      {"nonshppict", {kwSkipDest, 0}}, {"shp", {kwShape, 0}}, {"shpgrp", {kwShape, 0}},
      {"shpinst", {kwShapeInst, 0}}, {"shprslt", {kwSkipDest, 0}},
      {"xe", {kwSkipDest, 0}}, {"tc", {kwSkipDest, 0}}, {"txe", {kwSkipDest, 0}},
      {"do", {kwDo, 0}}, {"filetbl", {kwSkipDest, 0}}, {"revtbl", {kwSkipDest, 0}},
      {"rsidtbl", {kwSkipDest, 0}}, {"template", {kwSkipDest, 0}}, {"annotation", {kwSkipDest, 0}},
      {"atnid", {kwSkipDest, 0}}, {"atnauthor", {kwSkipDest, 0}}, {"generator", {kwSkipDest, 0}},
      {"themedata", {kwSkipDest, 0}}, {"colorschememapping", {kwSkipDest, 0}},
      {"latentstyles", {kwSkipDest, 0}}, {"datastore", {kwSkipDest, 0}},
      {"userprops", {kwSkipDest, 0}}, {"docvar", {kwSkipDest, 0}}, {"pgdsctbl", {kwSkipDest, 0}},
      {"ansi", {kwAnsi, 0}}, {"mac", {kwMac, 0}}, {"pc", {kwPc, 0}}, {"pca", {kwPca, 0}},
      {"ansicpg", {kwAnsicpg, 0}}, {"deff", {kwDeff, 0}}, {"uc", {kwUc, 0}},
      {"u", {kwU, 0}},
      {"f", {kwF, 0}}, {"fcharset", {kwFcharset, 0}}, {"cpg", {kwCpg, 0}}, {"fprq", {kwFprq, 0}},
      {"fnil", {kwFnil, 0}}, {"froman", {kwFroman, 0}}, {"fswiss", {kwFswiss, 0}},
      {"fmodern", {kwFmodern, 0}}, {"fscript", {kwFscript, 0}}, {"fdecor", {kwFdecor, 0}},
      {"ftech", {kwFtech, 0}}, {"fbidi", {kwFbidi, 0}}, {"red", {kwRed, 0}},
      {"green", {kwGreen, 0}}, {"blue", {kwBlue, 0}},
      {"plain", {kwPlain, 0}}, {"b", {kwB, 0}}, {"i", {kwI, 0}},
      // Underlines by kind, numbered as the engine's CFU_* values.
      {"ul", {kwUl, 1}}, {"ulw", {kwUl, 2}}, {"uldb", {kwUl, 3}}, {"uld", {kwUl, 4}},
      {"uldash", {kwUl, 5}}, {"uldashd", {kwUl, 6}}, {"uldashdd", {kwUl, 7}}, {"ulwave", {kwUl, 8}},
      {"ulth", {kwUl, 9}}, {"ulhair", {kwUl, 10}}, {"ululdbwave", {kwUl, 11}},
      {"ulhwave", {kwUl, 12}}, {"ulldash", {kwUl, 13}}, {"ulthdash", {kwUl, 14}},
      {"ulthdashd", {kwUl, 15}}, {"ulthdashdd", {kwUl, 16}}, {"ulthd", {kwUl, 17}},
      {"ulthldash", {kwUl, 18}},
      {"caps", {kwCaps, 0}}, {"scaps", {kwScaps, 0}}, {"outl", {kwOutl, 0}}, {"shad", {kwShad, 0}},
      {"v", {kwV, 0}}, {"up", {kwUp, 0}}, {"dn", {kwDn, 0}}, {"expnd", {kwExpnd, 0}},
      {"expndtw", {kwExpndtw, 0}}, {"kerning", {kwKerning, 0}}, {"charscalex", {kwCharscalex, 0}},
      {"lang", {kwLang, 0}}, {"rtlch", {kwRtlch, 0}}, {"ltrch", {kwLtrch, 0}},
      {"af", {kwAf, 0}}, {"loch", {kwLoch, 0}}, {"hich", {kwHich, 0}}, {"dbch", {kwDbch, 0}},
      {"tqr", {kwTabKind, 2}}, {"tqc", {kwTabKind, 1}}, {"tqdec", {kwTabKind, 3}},
      {"tb", {kwTb, 0}}, {"tldot", {kwTabLeader, 1}}, {"tlhyph", {kwTabLeader, 2}},
      {"tlul", {kwTabLeader, 3}}, {"tlth", {kwTabLeader, 4}}, {"tleq", {kwTabLeader, 5}},
      {"tlmdot", {kwTabLeader, 1}},
      {"keep", {kwKeep, 0}}, {"keepn", {kwKeepn, 0}}, {"pagebb", {kwPagebb, 0}},
      {"nowidctlpar", {kwNowidctlpar, 0}}, {"widctlpar", {kwWidctlpar, 0}},
      {"noline", {kwNoline, 0}}, {"rtlpar", {kwRtlpar, 0}}, {"ltrpar", {kwLtrpar, 0}},
      {"box", {kwBox, 0}}, {"brdrt", {kwBrdrSide, 0}}, {"brdrl", {kwBrdrSide, 1}},
      {"brdrb", {kwBrdrSide, 2}}, {"brdrr", {kwBrdrSide, 3}}, {"brdrbtw", {kwBrdrSide, 4}},
      {"brdrw", {kwBrdrw, 0}}, {"brsp", {kwBrsp, 0}}, {"brdrcf", {kwBrdrcf, 0}},
      {"shading", {kwShading, 0}}, {"cfpat", {kwCfpat, 0}}, {"cbpat", {kwCbpat, 0}},
      {"intbl", {kwIntbl, 0}}, {"itap", {kwItap, 0}}, {"trowd", {kwTrowd, 0}},
      {"trgaph", {kwTrgaph, 0}}, {"trleft", {kwTrleft, 0}}, {"trrh", {kwTrrh, 0}},
      {"trql", {kwTrAlign, 0}}, {"trqc", {kwTrAlign, 1}}, {"trqr", {kwTrAlign, 2}},
      {"trhdr", {kwTrhdr, 0}}, {"trkeep", {kwTrkeep, 0}},
      {"trbrdrt", {kwTrBrdr, 0}}, {"trbrdrl", {kwTrBrdr, 1}}, {"trbrdrb", {kwTrBrdr, 2}},
      {"trbrdrr", {kwTrBrdr, 3}}, {"trbrdrh", {kwTrBrdr, 4}}, {"trbrdrv", {kwTrBrdr, 5}},
      {"cellx", {kwCellx, 0}}, {"clmgf", {kwClmgf, 0}}, {"clmrg", {kwClmrg, 0}},
      {"clvmgf", {kwClvmgf, 0}}, {"clvmrg", {kwClvmrg, 0}}, {"clvertalt", {kwClvert, 0}},
      {"clvertalc", {kwClvert, 1}}, {"clvertalb", {kwClvert, 2}},
      {"clbrdrt", {kwClBrdr, 0}}, {"clbrdrl", {kwClBrdr, 1}}, {"clbrdrb", {kwClBrdr, 2}},
      {"clbrdrr", {kwClBrdr, 3}}, {"clcbpat", {kwClcbpat, 0}}, {"clcfpat", {kwClcfpat, 0}},
      {"clshdng", {kwClshdng, 0}}, {"clwWidth", {kwClwWidth, 0}}, {"clftsWidth", {kwClftsWidth, 0}},
      {"listtemplateid", {kwListtemplateid, 0}}, {"listhybrid", {kwListhybrid, 0}},
      {"listsimple", {kwListsimple, 0}}, {"listname", {kwListname, 0}},
      {"leveltext", {kwLeveltext, 0}}, {"levelnumbers", {kwLevelnumbers, 0}},
      {"leveljc", {kwLeveljc, 0}}, {"leveljcn", {kwLeveljc, 0}}, {"levelfollow", {kwLevelfollow, 0}},
      {"levellegal", {kwLevellegal, 0}}, {"levelnorestart", {kwLevelnorestart, 0}},
      {"dptxbxtext", {kwDptxbxtext, 0}}, {"shptxt", {kwShptxt, 0}},
      {"ulnone", {kwUlnone, 0}}, {"strike", {kwStrike, 0}}, {"striked", {kwStriked, 0}},
      {"sub", {kwSub, 0}}, {"super", {kwSuper, 0}}, {"nosupersub", {kwNosupersub, 0}},
      {"fs", {kwFs, 0}}, {"cf", {kwCf, 0}}, {"cb", {kwCb, 0}}, {"highlight", {kwHighlight, 0}},
      {"chcbpat", {kwChcbpat, 0}}, {"protect", {kwProtect, 0}},
      {"pard", {kwPard, 0}}, {"ql", {kwQl, 0}}, {"qc", {kwQc, 0}}, {"qr", {kwQr, 0}},
      {"qj", {kwQj, 0}}, {"qd", {kwQd, 0}}, {"li", {kwLi, 0}}, {"lin", {kwLi, 0}},
      {"ri", {kwRi, 0}}, {"rin", {kwRi, 0}}, {"fi", {kwFi, 0}}, {"sb", {kwSb, 0}},
      {"sa", {kwSa, 0}}, {"sl", {kwSl, 0}}, {"slmult", {kwSlmult, 0}}, {"tx", {kwTx, 0}},
      {"ls", {kwLs, 0}}, {"ilvl", {kwIlvl, 0}},
      {"pnlvlblt", {kwPnlvlblt, 0}}, {"pnlvlbody", {kwPnlvlbody, 0}},
      {"pnlvlcont", {kwPnlvlcont, 0}}, {"pnlvl", {kwPnlvl, 0}}, {"pndec", {kwPndec, 0}},
      {"pnlcltr", {kwPnlcltr, 0}}, {"pnucltr", {kwPnucltr, 0}}, {"pnlcrm", {kwPnlcrm, 0}},
      {"pnucrm", {kwPnucrm, 0}}, {"pnstart", {kwPnstart, 0}}, {"pnindent", {kwPnindent, 0}},
      {"pntxta", {kwPntxta, 0}}, {"pntxtb", {kwPntxtb, 0}},
      {"list", {kwList, 0}}, {"listlevel", {kwListlevel, 0}}, {"listid", {kwListid, 0}},
      {"levelnfc", {kwLevelnfc, 0}}, {"levelnfcn", {kwLevelnfc, 0}},
      {"levelstartat", {kwLevelstartat, 0}},
      {"pngblip", {kwPngblip, 0}}, {"jpegblip", {kwJpegblip, 0}}, {"dibitmap", {kwDibitmap, 0}},
      {"wbitmap", {kwWbitmap, 0}}, {"wmetafile", {kwWmetafile, 0}}, {"emfblip", {kwEmfblip, 0}},
      {"macpict", {kwMacpict, 0}}, {"pmmetafile", {kwPmmetafile, 0}}, {"picw", {kwPicw, 0}},
      {"pich", {kwPich, 0}}, {"picwgoal", {kwPicwgoal, 0}}, {"pichgoal", {kwPichgoal, 0}},
      {"picscalex", {kwPicscalex, 0}}, {"picscaley", {kwPicscaley, 0}}, {"objw", {kwObjw, 0}},
      {"objh", {kwObjh, 0}},
      {"par", {kwPar, 0}}, {"sect", {kwSect, 0}}, {"page", {kwPage, 0}}, {"line", {kwLine, 0}},
      {"tab", {kwTab, 0}}, {"cell", {kwCell, 0}}, {"nestcell", {kwNestcell, 0}}, {"row", {kwRow, 0}},
      {"nestrow", {kwNestrow, 0}}, {"chftn", {kwChftn, 0}}, {"chpgn", {kwChpgn, 0}},
      {"emdash", {kwChar, 0x2014}}, {"endash", {kwChar, 0x2013}}, {"bullet", {kwChar, 0x2022}},
      {"lquote", {kwChar, 0x2018}}, {"rquote", {kwChar, 0x2019}},
      {"ldblquote", {kwChar, 0x201C}}, {"rdblquote", {kwChar, 0x201D}},
      {"emspace", {kwChar, 0x2003}}, {"enspace", {kwChar, 0x2002}},
      {"qmspace", {kwChar, 0x2005}}, {"zwj", {kwChar, 0x200D}}, {"zwnj", {kwChar, 0x200C}},
      {"ltrmark", {kwChar, 0x200E}}, {"rtlmark", {kwChar, 0x200F}},
  };
  return map;
}

// Border styles and shading patterns: many words, one meaning each, numbered in Borders.h.
KwEntry FindPatternWord(std::string_view word) {
  if (const int style = BorderStyleOfWord(word); style >= 0) return {kwBrdrStyle, char16_t(style)};
  if (const int pattern = ShadingPatternOfWord(word); pattern > 0) return {kwBgPattern, char16_t(pattern)};
  if (word.size() > 2 && word.substr(0, 2) == "cl")
    if (const int pattern = ShadingPatternOfWord(word.substr(2)); pattern > 0) return {kwClBgPattern, char16_t(pattern)};
  return {kwUnknown, 0};
}

}  // namespace

KwEntry FindKeyword(std::string_view word) {
  const auto& table = Table();
  const auto it = table.find(word);
  return it == table.end() ? FindPatternWord(word) : it->second;
}

}  // namespace rtf
