#pragma once
// The program's one exception root: every failure carries a message the user can read, as a
// QString, so no catcher has to guess the bytes' encoding.

#include <QString>
#include <stdexcept>

namespace base {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& Message() const { return message_; }

 private:
  QString message_;
};

// The readable message of any exception: ours carry a QString, the standard library's a UTF-8
// what().
inline QString MessageOf(const std::exception& e) {
  if (auto* ours = dynamic_cast<const Exception*>(&e)) return ours->Message();
  return QString::fromUtf8(e.what());
}

}  // namespace base
