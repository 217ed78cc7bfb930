// How the control's contents move: the published line list, chunked and limited loads,
// selection transfer, copying between controls, and the form description entries.

#include "richtext/qvriched.h"

#include <QtEndian>
#include <optional>

#include "rtf/PlainText.h"

using namespace engine;

namespace richtext {

namespace {
constexpr int MaxLineChars = 4096;
}  // namespace

// ---- the line list --------------------------------------------------------------------------

int TqvRichEditStrings::Count() const { return richEdit_->EngineLines().Count(); }

QString TqvRichEditStrings::Get(int Index) const {
  std::vector<char16_t> Buffer(MaxLineChars + 1, 0);
  Buffer[0] = char16_t(MaxLineChars);
  LRESULT L = richEdit_->Perform(EM_GETLINE, Index, LPARAM(Buffer.data()));
  L = qBound<LRESULT>(0, L, LRESULT(MaxLineChars));
  if (L > 1 && Buffer[size_t(L) - 2] == u'\r' && Buffer[size_t(L) - 1] == u'\n') L -= 2;
  if (L > 0 && Buffer[size_t(L) - 1] == u'\r') L -= 1;
  return QString::fromUtf16(Buffer.data(), qsizetype(L));
}

void TqvRichEditStrings::Put(int Index, const QString& S) { richEdit_->EngineLines().Put(Index, S); }

void TqvRichEditStrings::Insert(int Index, const QString& S) { richEdit_->EngineLines().Insert(Index, S); }

void TqvRichEditStrings::Delete(int Index) { richEdit_->EngineLines().Delete(Index); }

void TqvRichEditStrings::Clear() { richEdit_->Clear(); }

void TqvRichEditStrings::AddStrings(const engine::TStrings& Other) {
  AddStrings(Other.ToStringList());
}

void TqvRichEditStrings::AddStrings(const QStringList& Lines) {
  base::ValueRestorer<engine::TCustomRichEdit::TNotifyEvent> Quiet(richEdit_->OnSelectionChange, nullptr);
  for (const QString& Line : Lines) Add(Line);
}

QString TqvRichEditStrings::Text() const { return richEdit_->EngineLines().Text(); }

void TqvRichEditStrings::SetText(const QString& Text) {
  // Setting the whole text is not a user's change.
  const LPARAM Mask = richEdit_->Perform(EM_GETEVENTMASK);
  richEdit_->Perform(EM_SETEVENTMASK, 0, Mask & ~LPARAM(ENM_CHANGE));
  base::ScopeGuard Restore(
      [this] { richEdit_->Perform(EM_SETEVENTMASK, 0, richEdit_->Perform(EM_GETEVENTMASK) | LPARAM(ENM_CHANGE)); });
  richEdit_->EngineLines().SetText(Text);
}

void TqvRichEditStrings::SetUpdateState(bool Updating) {
  const bool Showing = richEdit_->isVisible();
  if (Updating) {
    if (Showing) richEdit_->Perform(WM_SETREDRAW, 0);
  } else {
    if (Showing) richEdit_->Perform(WM_SETREDRAW, 1);
    richEdit_->update();
  }
}

void TqvRichEditStrings::LoadFromStream(QIODevice& Stream) { richEdit_->EngineLines().LoadFromStream(Stream); }
void TqvRichEditStrings::SaveToStream(QIODevice& Stream) const { richEdit_->EngineLines().SaveToStream(Stream); }
void TqvRichEditStrings::LoadFromFile(const QString& FileName) { richEdit_->EngineLines().LoadFromFile(FileName); }
void TqvRichEditStrings::SaveToFile(const QString& FileName) const {
  richEdit_->EngineLines().SaveToFile(FileName);
}

// ---- limited and chunked loads --------------------------------------------------------------

DWORD TqvCustomRichEdit::StreamInChunks(QIODevice& Stream, DWORD Format, int MaxChunks) {
  TqvChunkReader Reader(Stream, MaxChunks);
  EDITSTREAM Es;
  Es.pfnCallback = [&Reader](DWORD_PTR, BYTE* Buffer, LONG Wanted, LONG* Got) -> DWORD {
    long N = 0;
    const DWORD R = Reader.Fill(Buffer, Wanted, &N);
    *Got = LONG(N);
    return R;
  };
  Perform(EM_STREAMIN, WPARAM(Format), LPARAM(&Es));
  return Es.dwError;
}

void TqvCustomRichEdit::LoadRichBytes(const QByteArray& Bytes, bool Selection) {
  const DWORD Format = (PlainText() ? SF_TEXT : SF_RTF) | (Selection ? SFF_SELECTION : 0);
  const QByteArray Text = rtf::NormalizeLineBreaks(Bytes);
  if (Handle()->LoadBytes(Format, Text) == 0 || PlainText() || Selection) return;
  if (Handle()->LoadBytes(SF_TEXT, Text) != 0) throw EOutOfResources(QStringLiteral("Failed to Load Stream"));
}

void TqvCustomRichEdit::LoadRichStream(QIODevice& Stream, bool Selection, int MaxChunks) {
  // Only a load cut after some chunks needs the engine's chunks; any other is one buffer.
  if (MaxChunks <= 0) {
    LoadRichBytes(Stream.readAll(), Selection);
    return;
  }
  const qint64 Start = Stream.pos();
  DWORD Format = PlainText() ? SF_TEXT : SF_RTF;
  if (Selection) Format |= SFF_SELECTION;
  DWORD Error = StreamInChunks(Stream, Format, MaxChunks);
  if (Error != 0 && !PlainText() && !Selection) {
    Stream.seek(Start);
    Error = StreamInChunks(Stream, SF_TEXT, MaxChunks);
    if (Error != 0) throw EOutOfResources(QStringLiteral("Failed to Load Stream"));
  }
}

QByteArray TqvCustomRichEdit::SelectionRtf() { return Handle()->SaveBytes(SF_RTF | SFF_SELECTION); }

void TqvCustomRichEdit::SetSelectionRtf(const QByteArray& Rtf) { Handle()->LoadBytes(SF_RTF | SFF_SELECTION, Rtf); }

void TqvCustomRichEdit::SaveSelectionRtf(QIODevice& Stream) { Stream.write(SelectionRtf()); }

void TqvCustomRichEdit::LoadSelectionRtf(QIODevice& Stream) {
  Stream.seek(0);
  SetSelectionRtf(Stream.readAll());
}

// ---- copying between controls ---------------------------------------------------------------

void CopyRichText(TqvCustomRichEdit* Source, TqvCustomRichEdit* Target) {
  if (Source == nullptr || Target == nullptr) return;
  base::WaitCursor Wait;
  base::ValueRestorer<bool> Guard(Source->loading_, true);
  if (Source->GetField() != nullptr && !Source->IsContentLoaded()) {
    // The placeholder is not the contents: take them from the field itself.
    Target->LoadFromBlobField(Source->GetField());
    return;
  }
  const bool Raise = Source->MaxLength() > 0;
  if (Raise) Target->SetMaxLength(Target->MaxLength() + 1);
  base::ScopeGuard RestoreLimit([&] {
    if (Raise) Target->SetMaxLength(Target->MaxLength() - 1);
  });
  Target->EngineLines().LoadFromBytes(Source->EngineLines().SaveToBytes());
}

// ---- form description -----------------------------------------------------------------------
// Entries: a name (one length byte, then its characters), a value type byte, the value.
// Value types as the class library numbers them: 1 list (items up to a 0), 4 32-bit integer,
// 6 short string, 10 binary (32-bit size, then the bytes), 12 long string.

namespace {
enum : quint8 { vaNull = 0, vaList = 1, vaInt32 = 4, vaString = 6, vaBinary = 10, vaLString = 12 };

void WriteName(QIODevice& S, const QByteArray& Name) {
  S.putChar(char(quint8(Name.size())));
  S.write(Name);
}
void WriteInt32(QIODevice& S, qint32 V) {
  char B[4];
  qToLittleEndian(V, B);
  S.write(B, 4);
}
QByteArray ReadExactly(QIODevice& S, qint64 N) {
  if (N < 0 || (!S.isSequential() && N > S.size() - S.pos()))
    throw EStreamError(QStringLiteral("Invalid form description"));
  const QByteArray B = S.read(N);
  if (B.size() != N) throw EStreamError(QStringLiteral("Invalid form description"));
  return B;
}
qint32 ReadInt32(QIODevice& S) { return qFromLittleEndian<qint32>(ReadExactly(S, 4).constData()); }
quint8 ReadByte(QIODevice& S) { return quint8(ReadExactly(S, 1)[0]); }
QString ReadStringValue(QIODevice& S, quint8 Type) {
  const qint64 N = Type == vaString ? ReadByte(S) : ReadInt32(S);
  return QString::fromUtf8(ReadExactly(S, N));
}
}  // namespace

void TqvCustomRichEdit::WriteDescription(QIODevice& Stream) {
  SetRichEditVersion(2);
  WriteName(Stream, "RichEditVersion");
  Stream.putChar(char(vaInt32));
  WriteInt32(Stream, 2);
  if (GetField() == nullptr) {
    const QByteArray Data = EngineLines().SaveToBytes();
    WriteName(Stream, "Data");
    Stream.putChar(char(vaBinary));
    WriteInt32(Stream, qint32(Data.size() + 4));
    WriteInt32(Stream, qint32(Data.size()));
    Stream.write(Data);
  }
}

void TqvCustomRichEdit::ReadDescription(QIODevice& Stream) {
  SetRichEditVersion(1);
  const bool FieldFirst = dataFieldAssigned_;
  std::optional<base::WaitCursor> Wait;
  if (!FieldFirst) {
    Wait.emplace();
    SetPlainText(true);
  }
  bool SawData = false;
  base::ScopeGuard BackToRtf([this] { SetPlainText(false); });
  {
    while (!Stream.atEnd()) {
      const QByteArray Name = ReadExactly(Stream, ReadByte(Stream));
      const quint8 Type = ReadByte(Stream);
      if (Name == "RichEditVersion" && Type == vaInt32) {
        SetRichEditVersion(ReadInt32(Stream));
      } else if (Name == "Data" && Type == vaBinary) {
        const qint32 Outer = ReadInt32(Stream);
        const QByteArray Payload = ReadExactly(Stream, Outer);
        SetPlainText(false);
        const qint32 Length = Payload.size() >= 4 ? qFromLittleEndian<qint32>(Payload.constData()) : 0;
        if (Length > 0 && Length <= Payload.size() - 4 && GetField() == nullptr) {
          base::ValueRestorer<bool> Guard(loading_, true);
          EngineLines().LoadFromBytes(Payload.mid(4, Length));
        }
        dataRead_ = true;
        SawData = true;
      } else if (Name == "Lines.Strings" && Type == vaList) {
        QStringList Lines;
        for (quint8 T = ReadByte(Stream); T != vaNull; T = ReadByte(Stream)) {
          if (T != vaString && T != vaLString) throw EStreamError(QStringLiteral("Invalid form description"));
          Lines << ReadStringValue(Stream, T);
        }
        base::ValueRestorer<bool> Guard(loading_, true);
        EngineLines().Clear();
        EngineLines().AddStrings(Lines);
      } else if (Name == "Title" && (Type == vaString || Type == vaLString)) {
        title_ = ReadStringValue(Stream, Type);
      } else {
        throw EStreamError(QStringLiteral("Invalid form description: %1").arg(QString::fromLatin1(Name)));
      }
    }
  }
  BackToRtf.Dismiss();
  if (!FieldFirst && !SawData) {
    // Lines stored as text may hold RTF source: read them again as RTF, which falls back to
    // plain text for anything else.
    const QByteArray Text = EngineLines().SaveToBytes();
    SetPlainText(false);
    base::ValueRestorer<bool> Guard(loading_, true);
    EngineLines().LoadFromBytes(Text);
  }
  if (!isVisible()) HandleNeeded();
  ApplyPopupCaptions();
}

}  // namespace richtext
