#include "rtf/RtfTables.h"

#include <algorithm>

#include "rtf/CodePage.h"
#include "rtf/PlainText.h"

namespace rtf {

void FontTable::Begin(int index) {
  current_ = index;
  fonts_[index] = RtfFont{};
}

void FontTable::EndEntry() {
  if (current_ < 0) return;
  RtfFont& f = fonts_[current_];
  if (!f.done) {
    f.done = true;
    QString name = f.name.trimmed();
    if (name.endsWith(u';')) name.chop(1);
    f.name = name.trimmed();
  }
  current_ = -1;
  ForgetCodePages();
}

void FontTable::AppendName(const QString& text) {
  if (current_ >= 0) fonts_[current_].name += text;
}

void FontTable::SetCharset(int charset) {
  if (current_ >= 0) fonts_[current_].charset = charset;
  ForgetCodePages();
}

void FontTable::SetCodePage(int cpg) {
  if (current_ >= 0) fonts_[current_].cpg = cpg;
  ForgetCodePages();
}

void FontTable::SetPitch(int pitch) {
  if (current_ >= 0) fonts_[current_].pitchFamily |= (pitch & 0x3);
}

void FontTable::SetFamily(int familyBits) {
  if (current_ >= 0) fonts_[current_].pitchFamily = (fonts_[current_].pitchFamily & 0x0F) | familyBits;
}

const RtfFont* FontTable::Find(int index, int fallback) const {
  auto it = fonts_.find(index);
  if (it == fonts_.end()) it = fonts_.find(fallback);
  return it == fonts_.end() ? nullptr : &it->second;
}

int FontTable::CodePageOf(int font, int documentCodePage) {
  if (font == cachedFont_) return cachedCodePage_;
  int cp = documentCodePage;
  auto it = fonts_.find(font);
  if (it != fonts_.end()) {
    if (it->second.cpg > 0) cp = it->second.cpg;
    else if (int c = CodePageOfCharset(it->second.charset)) cp = c;
  }
  cachedFont_ = font;
  cachedCodePage_ = cp;
  return cp;
}

void ColorTable::SetRed(int v) {
  red_ = std::clamp(v, 0, 255);
  set_ = true;
}

void ColorTable::SetGreen(int v) {
  green_ = std::clamp(v, 0, 255);
  set_ = true;
}

void ColorTable::SetBlue(int v) {
  blue_ = std::clamp(v, 0, 255);
  set_ = true;
}

void ColorTable::EndEntry() {
  colors_.push_back(set_ ? QColor(red_, green_, blue_) : QColor());
  set_ = false;
  red_ = green_ = blue_ = 0;
}

void ColorTable::Close() {
  if (set_) colors_.emplace_back(red_, green_, blue_);
  set_ = false;
}

const QColor* ColorTable::Find(int index) const {
  if (index <= 0 || index >= int(colors_.size()) || !colors_[size_t(index)].isValid()) return nullptr;
  return &colors_[size_t(index)];
}

void ListTables::BeginList() { building_ = ListDefinition{}; }

void ListTables::BeginLevel() {
  if (building_.levels.size() < size_t(kMaxListLevels)) building_.levels.push_back(ListLevelDef{});
}

void ListTables::SetLevelText(const QString& text) {
  ListLevelDef* level = CurrentLevel();
  if (!level || text.isEmpty()) return;
  const int length = text[0].unicode();
  QString label = text.mid(1, length);
  // A length beyond the text takes in the closing semicolon, which is no part of the label.
  if (length >= text.size() - 1 && label.endsWith(u';')) label.chop(1);
  // Below the level count a character stands for a level's number; other control characters
  // cannot be shown and would not be written back.
  label.removeIf([](QChar c) { return c.unicode() >= kMaxListLevels && IsUnwantedChar(c.unicode()); });
  level->text = label;
}

void ListTables::EndList(int id) {
  // A list's own id follows its levels; a level's \listid does not occur.
  if (!building_.levels.empty()) {
    building_.listId = id;
    lists_[id] = building_;
  }
  selected_ = id;
}

const ListDefinition* ListTables::Definition(int ls) const {
  const auto o = overrides_.find(ls);
  const auto l = lists_.find(o != overrides_.end() ? o->second : -1);
  return l == lists_.end() || l->second.levels.empty() ? nullptr : &l->second;
}

const ListLevelDef* ListTables::Level(int ls, int ilvl) const {
  const ListDefinition* d = Definition(ls);
  return d ? d->Level(ilvl) : nullptr;
}

}  // namespace rtf
