#pragma once
// Lists as word processors define them (\listtable): up to nine levels, each with its number
// format, label text and start, numbered on across the paragraphs of the list; and the labels of
// a document's numbered paragraphs, for showing, writing and exporting them.

#include <QByteArray>
#include <QString>
#include <QTextBlock>
#include <unordered_map>
#include <vector>

namespace rtf {

constexpr int kMaxListLevels = 9;

struct ListLevelDef {
  int nfc = 0;             // \levelnfc: 0 1, 1 I, 2 i, 3 A, 4 a, 22 01, 23 bullet, 255 none, ...
  int start = 1;           // \levelstartat
  int jc = 0;              // \leveljc: 0 left, 1 centre, 2 right
  int follow = 0;          // \levelfollow: 0 tab, 1 space, 2 nothing after the label
  bool legal = false;      // \levellegal: the numbers of the levels above show as arabic
  bool noRestart = false;  // \levelnorestart: not restarted by the levels above
  // \leveltext: the label, where the characters U+0000 .. U+0008 stand for the numbers of
  // levels 0 .. 8.
  QString text;
  QString font;            // the font of the label (\fN of the level), empty for the text's
  int fi = 0, li = 0;      // the indents the level gives its paragraphs
  bool operator==(const ListLevelDef&) const = default;
};

struct ListDefinition {
  int listId = 0;      // \listid
  int templateId = 0;  // \listtemplateid
  bool hybrid = false; // \listhybrid
  bool simple = false; // \listsimple
  QString name;        // \listname
  std::vector<ListLevelDef> levels;
  bool operator==(const ListDefinition&) const = default;
  const ListLevelDef* Level(int level) const;
  QByteArray Save() const;
  static ListDefinition Load(const QByteArray& bytes);
};

// A number as a level format writes it (arabic for formats the engine does not know).
QString FormatListNumber(int nfc, int n);
// The numbering kind (Numbering.h) a level shows as, for the engine's paragraph format.
int NumberingOfLevel(const ListLevelDef& level);
// The label text a level defines for the given numbers of levels 0 .. level.
QString LevelLabel(const ListDefinition& def, int level, const int* numbers);
// The numbering style (kNumberParen ... kNumberPlain) a level's label text comes closest to.
int NumberStyleOfLabel(const QString& text);
// A simple definition for a paragraph the engine numbered itself (one level, or nine alike).
ListDefinition DefinitionForNumbering(int numbering, int start, int style, int listId);

// Numbers the list paragraphs of a document: fed every paragraph in document order, it gives
// each one its label (empty for a paragraph in no list). Lists number on across the paragraphs
// between their items; a level restarts after an item of a level above it.
class ListNumberer {
 public:
  QString Next(const QTextBlock& block);

 private:
  struct Counters {
    int n[kMaxListLevels] = {};
    bool started[kMaxListLevels] = {};
  };
  std::unordered_map<int, Counters> lists_;
  int prevNumbering_ = 0;  // the old-style numbering of the paragraph before
  int prevCounter_ = 0;
};

// The list a paragraph belongs to: its definition (from the list of the paragraph), its level.
// False for a paragraph in no defined list.
bool ListOfBlock(const QTextBlock& block, ListDefinition* def, int* level);

}  // namespace rtf
