#pragma once
// What the object dialogs share: result codes, the dialogs' return values, and the seams through
// which tests answer them (a dialog runner that may fill in a dialog before "pressing" a button,
// and a file chooser).

#include <QString>
#include <cstdint>
#include <functional>

class QDialog;
class QWidget;

namespace platform {

// Result codes as the object runtime has always numbered them.
using HRESULT = std::int32_t;
using DWORD = std::uint32_t;
using ULONG = std::uint32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001u);
constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
constexpr HRESULT E_INVALIDARG = HRESULT(0x80070057u);

// What the object dialogs return.
constexpr unsigned OLEUI_OK = 1;
constexpr unsigned OLEUI_CANCEL = 2;
constexpr unsigned OLEUI_ERR_STANDARDMIN = 100;

// Runs a modal dialog and returns its result (QDialog::Accepted or Rejected). Tests install a
// runner that sets the dialog's controls (found by object name) and returns an answer.
using TDialogRunner = std::function<int(QDialog* dialog)>;
TDialogRunner SetDialogRunner(TDialogRunner runner);
int RunDialog(QDialog* dialog);

// Asks for the name of a file to read (save = false) or to write; empty when cancelled.
using TFileChooser = std::function<QString(QWidget* parent, const QString& caption, const QString& start, bool save)>;
TFileChooser SetFileChooser(TFileChooser chooser);
QString ChooseFile(QWidget* parent, const QString& caption, const QString& start, bool save);

// "Open With": the applications that open the type, or a command line of the user's; returns a
// desktop entry id or the command, empty when cancelled.
QString ChooseApplication(QWidget* parent, const QString& mimeType, const QString& fileName);

}  // namespace platform
