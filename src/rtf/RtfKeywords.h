#pragma once
// The control words the RTF reader knows: one number per meaning (several spellings may share
// one), and the character a symbol word stands for. Words not listed are kwUnknown.

#include <string_view>

namespace rtf {

enum Kw : int {
  kwUnknown,
  // destinations
  kwFonttbl, kwColortbl, kwPict, kwObject, kwObjclass, kwObjdata, kwResult, kwField, kwFldinst,
  kwFldrslt, kwPn, kwListtable, kwListoverridetable, kwShppict, kwSkipDest, kwUpr, kwUd,
  // document
  kwAnsi, kwMac, kwPc, kwPca, kwAnsicpg, kwDeff, kwUc, kwU,
  // fonts and colours
  kwF, kwFcharset, kwCpg, kwFprq, kwFnil, kwFroman, kwFswiss, kwFmodern, kwFscript, kwFdecor,
  kwFtech, kwFbidi, kwRed, kwGreen, kwBlue,
  // character
  kwPlain, kwB, kwI, kwUl, kwUlnone, kwStrike, kwStriked, kwSub, kwSuper, kwNosupersub, kwFs,
  kwCf, kwCb, kwHighlight, kwChcbpat, kwProtect,
  // paragraph
  kwPard, kwQl, kwQc, kwQr, kwQj, kwQd, kwLi, kwRi, kwFi, kwSb, kwSa, kwSl, kwSlmult, kwTx,
  kwLs, kwIlvl,
  // numbering
  kwPnlvlblt, kwPnlvlbody, kwPnlvlcont, kwPnlvl, kwPndec, kwPnlcltr, kwPnucltr, kwPnlcrm, kwPnucrm,
  kwPnstart, kwPnindent, kwPntxta, kwPntxtb,
  kwList, kwListlevel, kwListid, kwLevelnfc, kwLevelstartat,
  // pictures and objects
  kwPngblip, kwJpegblip, kwDibitmap, kwWbitmap, kwWmetafile, kwEmfblip, kwMacpict, kwPmmetafile,
  kwPicw, kwPich, kwPicwgoal, kwPichgoal, kwPicscalex, kwPicscaley, kwObjw, kwObjh,
  // breaks and symbols
  kwPar, kwSect, kwPage, kwLine, kwTab, kwCell, kwRow, kwChar, kwChftn,
  // character effects kept beside the first ones (KwEntry::ch: the kind for kwUl)
  kwCaps, kwScaps, kwOutl, kwShad, kwV, kwUp, kwDn, kwExpnd, kwExpndtw, kwKerning, kwCharscalex,
  kwLang, kwRtlch, kwLtrch,
  // fonts by script
  kwAf, kwLoch, kwHich, kwDbch,
  // paragraph: tab kinds and leaders (ch: the kind or leader), effects, borders, shading
  kwTabKind, kwTabLeader, kwTb, kwKeep, kwKeepn, kwPagebb, kwNowidctlpar, kwWidctlpar, kwNoline,
  kwRtlpar, kwLtrpar, kwBox, kwBrdrSide, kwBrdrStyle, kwBrdrw, kwBrsp, kwBrdrcf, kwShading,
  kwCfpat, kwCbpat, kwBgPattern,
  // tables (ch: the side, alignment or pattern)
  kwIntbl, kwItap, kwTrowd, kwTrgaph, kwTrleft, kwTrrh, kwTrAlign, kwTrhdr, kwTrkeep, kwTrBrdr,
  kwCellx, kwClmgf, kwClmrg, kwClvmgf, kwClvmrg, kwClvert, kwClBrdr, kwClcbpat, kwClcfpat,
  kwClshdng, kwClBgPattern, kwClwWidth, kwClftsWidth, kwNestcell, kwNestrow, kwNesttableprops,
  // lists
  kwListtemplateid, kwListhybrid, kwListsimple, kwListname, kwLeveltext, kwLevelnumbers,
  kwLeveljc, kwLevelfollow, kwLevellegal, kwLevelnorestart,
  // footnotes, drawing objects and shapes with text
  kwFootnote, kwDo, kwDptxbxtext, kwShptxt, kwChpgn, kwFtnalt,
  // the document's parts beside its text
  kwHeaderFooter, kwInfo,
  // drawing shapes
  kwShape, kwShapeInst,
};

struct KwEntry {
  Kw kw;
  char16_t ch;  // for kwChar
};

// The entry of a control word (kwUnknown for one the reader does not know).
KwEntry FindKeyword(std::string_view word);

}  // namespace rtf
