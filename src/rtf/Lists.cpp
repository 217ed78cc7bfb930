#include "rtf/Lists.h"

#include <QDataStream>
#include <QIODevice>
#include <QTextList>
#include <algorithm>

#include "rtf/Numbering.h"
#include "rtf/TextModel.h"

namespace rtf {

namespace {

constexpr qint32 kDefinitionVersion = 1;

QString Roman(int n, bool upper) {
  static const std::pair<int, const char*> table[] = {
      {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
      {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
  QString out;
  int v = std::clamp(n, 1, 3999);
  for (const auto& [value, text] : table)
    while (v >= value) {
      out.append(QLatin1String(text));
      v -= value;
    }
  return upper ? out.toUpper() : out;
}

QString Letters(int n, bool upper) {
  // A, B, ... Z, AA, BB, ... as word processors count on past Z.
  const int v = std::max(n, 1) - 1;
  return QString(v / 26 + 1, QChar((upper ? u'A' : u'a') + v % 26));
}

QString Ordinal(int n) {
  const int t = n % 100;
  const char* suffix = (t >= 11 && t <= 13) ? "th" : n % 10 == 1 ? "st" : n % 10 == 2 ? "nd" : n % 10 == 3 ? "rd" : "th";
  return QString::number(n) + QLatin1String(suffix);
}

// Symbol fonts keep their glyphs in the private use area; a label shows the character the glyph
// looks like.
QChar LabelChar(QChar c) {
  switch (c.unicode()) {
    case 0xF0B7: return QChar(0x2022);
    case 0xF0A7: return QChar(0x25AA);
    case 0xF076: return QChar(0x2756);
    case 0xF0D8: return QChar(0x27A2);
    case 0xF0FC: return QChar(0x2714);
    case 0xF06E: return QChar(0x25A0);
    case 0xF071: return QChar(0x2751);
    default: return c.unicode() >= 0xF020 && c.unicode() <= 0xF0FF ? QChar(0x2022) : c;
  }
}

}  // namespace

const ListLevelDef* ListDefinition::Level(int level) const {
  if (levels.empty()) return nullptr;
  return &levels[size_t(std::clamp(level, 0, int(levels.size()) - 1))];
}

QByteArray ListDefinition::Save() const {
  QByteArray out;
  QDataStream s(&out, QIODevice::WriteOnly);
  s.setVersion(QDataStream::Qt_6_0);
  s << kDefinitionVersion << qint32(listId) << qint32(templateId) << hybrid << simple << name
    << qint32(levels.size());
  for (const ListLevelDef& l : levels)
    s << qint32(l.nfc) << qint32(l.start) << qint32(l.jc) << qint32(l.follow) << l.legal << l.noRestart
      << l.text << l.font << qint32(l.fi) << qint32(l.li);
  return out;
}

ListDefinition ListDefinition::Load(const QByteArray& bytes) {
  ListDefinition d;
  QDataStream s(bytes);
  s.setVersion(QDataStream::Qt_6_0);
  qint32 version = 0, id = 0, tid = 0, n = 0;
  s >> version;
  if (version != kDefinitionVersion) return d;
  s >> id >> tid >> d.hybrid >> d.simple >> d.name >> n;
  d.listId = id;
  d.templateId = tid;
  for (int i = 0; i < std::clamp(int(n), 0, kMaxListLevels) && s.status() == QDataStream::Ok; ++i) {
    ListLevelDef l;
    qint32 nfc, start, jc, follow, fi, li;
    s >> nfc >> start >> jc >> follow >> l.legal >> l.noRestart >> l.text >> l.font >> fi >> li;
    l.nfc = nfc;
    l.start = start;
    l.jc = jc;
    l.follow = follow;
    l.fi = fi;
    l.li = li;
    d.levels.push_back(l);
  }
  if (s.status() != QDataStream::Ok) return ListDefinition{};
  return d;
}

QString FormatListNumber(int nfc, int n) {
  switch (nfc) {
    case 1: return Roman(n, true);
    case 2: return Roman(n, false);
    case 3: return Letters(n, true);
    case 4: return Letters(n, false);
    case 5: return Ordinal(n);
    case 22: return n < 10 ? QStringLiteral("0") + QString::number(n) : QString::number(n);
    case 23:
    case 255: return {};
    default: return QString::number(n);
  }
}

int NumberingOfLevel(const ListLevelDef& level) {
  // A bullet may also be a level whose label has no number in it.
  bool hasNumber = false;
  for (QChar c : level.text)
    if (c.unicode() < kMaxListLevels) hasNumber = true;
  if (level.nfc == 23 || (!hasNumber && !level.text.isEmpty())) return kBulletNumbering;
  return NumberingOfLevelNfc(level.nfc == 255 ? 0 : level.nfc);
}

QString LevelLabel(const ListDefinition& def, int level, const int* numbers) {
  const ListLevelDef* lv = def.Level(level);
  if (!lv) return {};
  // A bullet level whose text asks for a number (some writers give bullets as "%n."): a bullet.
  if (lv->nfc == 23 && std::any_of(lv->text.begin(), lv->text.end(), [](QChar c) { return c.unicode() < kMaxListLevels; }))
    return QString(QChar(0x2022));
  // A bullet level that gives no character: the bullets word processors use by level.
  if (lv->nfc == 23 && lv->text.isEmpty()) {
    static const char16_t bullets[] = {0x2022, 0x25E6, 0x25AA};
    return QString(QChar(bullets[level % 3]));
  }
  QString out;
  for (QChar c : lv->text) {
    const ushort u = c.unicode();
    if (u < kMaxListLevels) {
      if (int(u) > level) continue;  // a number of a level below this one: not counted yet
      const ListLevelDef* ref = def.Level(u);
      const int nfc = (lv->legal && int(u) < level) ? 0 : (ref ? ref->nfc : 0);
      out += FormatListNumber(nfc, numbers[u]);
    } else {
      out += LabelChar(c);
    }
  }
  return out;
}

int NumberStyleOfLabel(const QString& text) {
  qsizetype at = -1;
  for (qsizetype i = 0; i < text.size(); ++i)
    if (text[i].unicode() < kMaxListLevels) at = i;
  if (at < 0) return kNumberPeriod;
  const QString before = at > 0 && text[at - 1].unicode() >= kMaxListLevels ? text.mid(at - 1, 1) : QString();
  return NumberStyleOfText(before, text.mid(at + 1));
}

ListDefinition DefinitionForNumbering(int numbering, int start, int style, int listId) {
  ListDefinition d;
  d.listId = listId;
  d.simple = true;
  ListLevelDef l;
  switch (numbering) {
    case kBulletNumbering: l.nfc = 23; break;
    case kLowerLetterNumbering: l.nfc = 4; break;
    case kUpperLetterNumbering: l.nfc = 3; break;
    case kLowerRomanNumbering: l.nfc = 2; break;
    case kUpperRomanNumbering: l.nfc = 1; break;
    default: l.nfc = 0; break;
  }
  l.start = std::max(start, 0);
  if (numbering == kBulletNumbering) {
    l.text = QString(QChar(0x2022));
  } else {
    l.text = QString(QChar(0));
    switch (style & kNumberStyleMask) {
      case kNumberParen: l.text += u')'; break;
      case kNumberParens: l.text = u'(' + l.text + u')'; break;
      case kNumberPlain: break;
      default: l.text += u'.'; break;
    }
  }
  d.levels.push_back(l);
  return d;
}

bool ListOfBlock(const QTextBlock& block, ListDefinition* def, int* level) {
  const QTextList* list = block.textList();
  if (!list) return false;
  const QTextListFormat lf = list->format();
  if (!lf.hasProperty(kListDefinition)) return false;
  const ListDefinition d = ListDefinition::Load(lf.property(kListDefinition).toByteArray());
  if (d.levels.empty()) return false;
  if (def) *def = d;
  if (level) *level = std::clamp(block.blockFormat().intProperty(kListLevel), 0, kMaxListLevels - 1);
  return true;
}

QString ListNumberer::Next(const QTextBlock& block) {
  ListDefinition def;
  int level = 0;
  if (ListOfBlock(block, &def, &level)) {
    prevNumbering_ = 0;
    Counters& c = lists_[def.listId];
    const ListLevelDef* lv = def.Level(level);
    if (!c.started[level]) {
      c.n[level] = lv ? lv->start : 1;
      c.started[level] = true;
    } else {
      ++c.n[level];
    }
    for (int l = level + 1; l < kMaxListLevels; ++l) {
      const ListLevelDef* below = def.Level(l);
      if (!below || !below->noRestart || l >= int(def.levels.size())) c.started[l] = false;
    }
    int numbers[kMaxListLevels];
    for (int l = 0; l < kMaxListLevels; ++l) {
      const ListLevelDef* d = def.Level(l);
      numbers[l] = c.started[l] || l == level ? c.n[l] : (d ? d->start : 1);
    }
    return LevelLabel(def, level, numbers);
  }
  const QTextBlockFormat f = block.blockFormat();
  const int numbering = f.intProperty(kNumbering);
  QString label;
  if (numbering > kNoNumbering && numbering <= kUpperRomanNumbering) {
    prevCounter_ = numbering == prevNumbering_
                       ? prevCounter_ + 1
                       : (f.hasProperty(kNumberingStart) ? f.intProperty(kNumberingStart) : 1);
    label = ListLabel(numbering, prevCounter_, NumberingStyle(f));
  }
  prevNumbering_ = numbering;
  return label;
}

}  // namespace rtf
