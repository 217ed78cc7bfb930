#pragma once
// The tables an RTF document declares before its text: fonts (with the code page each one's
// bytes are in), colours, and the lists its numbered paragraphs refer to.

#include <QColor>
#include <QString>
#include <unordered_map>
#include <vector>

#include "rtf/Lists.h"

namespace rtf {

struct RtfFont {
  QString name;
  int charset = -1;
  int cpg = 0;
  int pitchFamily = 0;
  bool done = false;  // its name is complete
};

class FontTable {
 public:
  // \fN inside the table: the entry that the following words and name bytes describe.
  void Begin(int index);
  // The entry's name is complete (its semicolon, or the end of its group).
  void EndEntry();
  bool HasCurrent() const { return current_ >= 0; }
  int Current() const { return current_; }
  void AppendName(const QString& text);
  void SetCharset(int charset);
  void SetCodePage(int cpg);
  void SetPitch(int pitch);
  // The family bits (\fnil .. \fdecor) of the pitch-and-family byte.
  void SetFamily(int familyBits);

  // The font a run names, else the document's default font; nullptr when neither exists.
  const RtfFont* Find(int index, int fallback) const;
  // The code page a font's bytes are in: its \cpg, else its character set's, else the
  // document's. Asked for every run of text, so the last answer is kept.
  int CodePageOf(int font, int documentCodePage);
  // The document's code page or a font's character set changed.
  void ForgetCodePages() { cachedFont_ = kNoCachedFont; }

 private:
  static constexpr int kNoCachedFont = -2;
  std::unordered_map<int, RtfFont> fonts_;
  int current_ = -1;
  int cachedFont_ = kNoCachedFont;
  int cachedCodePage_ = 0;
};

class ColorTable {
 public:
  void Clear() { colors_.clear(); }
  void SetRed(int v);
  void SetGreen(int v);
  void SetBlue(int v);
  // A semicolon: the entry ends; an entry with no colour words is the automatic colour.
  void EndEntry();
  // The table's group ends: a last entry without its semicolon still counts.
  void Close();
  // The colour of entry `index`; nullptr for entry 0 (automatic), an automatic entry or one
  // the table does not have.
  const QColor* Find(int index) const;

 private:
  std::vector<QColor> colors_;
  int red_ = 0, green_ = 0, blue_ = 0;
  bool set_ = false;
};

// The list table and the list override table: \lsN of a paragraph names an override, which
// names a list, whose levels say how \ilvlN paragraphs are numbered.
class ListTables {
 public:
  void BeginList();
  void BeginLevel();
  ListLevelDef* CurrentLevel() { return building_.levels.empty() ? nullptr : &building_.levels.back(); }
  ListDefinition& Current() { return building_; }
  // \leveltext as read: its first character is the length of the label.
  void SetLevelText(const QString& text);
  // \listidN in the list table: the list just described gets its id.
  void EndList(int id);
  // \listidN in the override table: the list the next \lsN refers to.
  void SelectList(int id) { selected_ = id; }
  void AddOverride(int ls) { overrides_[ls] = selected_; }
  // The list a paragraph's \ls names, or nullptr.
  const ListDefinition* Definition(int ls) const;
  // The level a paragraph's \ls and \ilvl name (the nearest level the list has), or nullptr.
  const ListLevelDef* Level(int ls, int ilvl) const;

 private:
  std::unordered_map<int, ListDefinition> lists_;
  std::unordered_map<int, int> overrides_;
  ListDefinition building_;
  int selected_ = 0;
};

}  // namespace rtf
