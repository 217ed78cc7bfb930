// The rich edit control's engine lines: its text as a list of lines, loaded and saved as RTF or
// plain text in one piece.
#include <QIODevice>
#include <vector>

#include "engine/CustomRichEdit.h"
#include "rtf/PlainText.h"

namespace engine {

// ---- the engine lines ---------------------------------------------------------------------------

int TRichEditStrings::Count() const {
  const int n = int(owner_->Perform(EM_GETLINECOUNT));
  if (n <= 0) return 0;
  const int last = int(owner_->Perform(EM_LINEINDEX, n - 1));
  // A text ending in a line break has as many lines as breaks.
  if (last >= 0 && owner_->Perform(EM_LINELENGTH, last) == 0) return n - 1;
  return n;
}

QString TRichEditStrings::Get(int index) const {
  if (index < 0 || index >= Count()) return {};
  std::vector<char16_t> buf(4096 + 1, 0);
  *reinterpret_cast<WORD*>(buf.data()) = 4096;
  int n = int(owner_->Perform(EM_GETLINE, index, LPARAM(buf.data())));
  QString s = QString::fromUtf16(buf.data(), n);
  if (s.endsWith(QLatin1String("\r\n"))) s.chop(2);
  else if (s.endsWith(QChar('\r')) || s.endsWith(QChar('\n'))) s.chop(1);
  return s;
}

void TRichEditStrings::Put(int index, const QString& s) {
  if (index < 0) return;
  const int start = int(owner_->Perform(EM_LINEINDEX, index));
  if (start < 0) return;
  const int len = int(owner_->Perform(EM_LINELENGTH, start));
  CHARRANGE r{start, start + len};
  owner_->Perform(EM_EXSETSEL, 0, LPARAM(&r));
  owner_->Perform(EM_REPLACESEL, 0, LPARAM(s.utf16()));
}

void TRichEditStrings::Insert(int index, const QString& s) {
  if (index < 0) return;
  int start = int(owner_->Perform(EM_LINEINDEX, index));
  QString text;
  if (start >= 0) {
    text = s + QLatin1String("\r\n");
  } else {
    start = int(owner_->Perform(EM_LINEINDEX, index - 1));
    if (start < 0) return;
    const int len = int(owner_->Perform(EM_LINELENGTH, start));
    if (len == 0) return;
    start += len;
    text = QLatin1String("\r\n") + s;
  }
  CHARRANGE r{start, start};
  owner_->Perform(EM_EXSETSEL, 0, LPARAM(&r));
  owner_->Perform(EM_REPLACESEL, 0, LPARAM(text.utf16()));
}

void TRichEditStrings::Delete(int index) {
  const int start = int(owner_->Perform(EM_LINEINDEX, index));
  if (index < 0 || start < 0) return;
  int end = int(owner_->Perform(EM_LINEINDEX, index + 1));
  if (end < 0) end = start + int(owner_->Perform(EM_LINELENGTH, start));
  CHARRANGE r{start, end};
  owner_->Perform(EM_EXSETSEL, 0, LPARAM(&r));
  const char16_t empty[1] = {0};
  owner_->Perform(EM_REPLACESEL, 0, LPARAM(empty));
}

void TRichEditStrings::Clear() { owner_->SetText(QString()); }

QString TRichEditStrings::Text() const { return owner_->Text(); }

void TRichEditStrings::SetText(const QString& text) {
  TRichEngine* e = owner_->Handle();
  if (!owner_->PlainText() && text.startsWith(QLatin1String("{\\rtf")) && e->LoadRtf(text.toLatin1())) return;
  e->SetPlainText(text);
}

void TRichEditStrings::SetUpdateState(bool updating) {
  if (!owner_->HandleAllocated()) return;
  owner_->Perform(WM_SETREDRAW, updating ? 0 : 1);
  if (!updating) owner_->update();
}

QByteArray TRichEditStrings::SaveToBytes() const {
  return owner_->Handle()->SaveBytes(owner_->PlainText() ? SF_TEXT : SF_RTF);
}

void TRichEditStrings::SaveToStream(QIODevice& stream) const {
  const QByteArray bytes = SaveToBytes();
  if (stream.write(bytes) != bytes.size()) throw EOutOfResources(QStringLiteral("Failed to Save Stream"));
}

bool TRichEditStrings::Load(DWORD format, const QByteArray& bytes) {
  return owner_->Handle()->LoadBytes(format, rtf::NormalizeLineBreaks(bytes)) == 0;
}

void TRichEditStrings::LoadFromBytes(const QByteArray& bytes) {
  // RTF that fails is read again as plain text.
  if (!owner_->PlainText() && Load(SF_RTF, bytes)) return;
  if (!Load(SF_TEXT, bytes)) throw EOutOfResources(QStringLiteral("Failed to Load Stream"));
}

void TRichEditStrings::LoadFromStream(QIODevice& stream) {
  const qint64 start = stream.pos();
  const QByteArray bytes = stream.readAll();
  if (owner_->PlainText()) {
    if (!Load(SF_TEXT, bytes)) throw EOutOfResources(QStringLiteral("Failed to Load Stream"));
    return;
  }
  if (Load(SF_RTF, bytes)) return;
  // The plain-text reading starts where the RTF one did, as a stream that cannot go back cannot.
  if (!stream.seek(start) || !Load(SF_TEXT, stream.readAll())) throw EOutOfResources(QStringLiteral("Failed to Load Stream"));
}
}  // namespace engine
