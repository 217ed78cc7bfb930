#pragma once
// Links between terms in a definition: a hyperlink field whose target names the term by its key
// in a scheme of our own ("termora-term:42"), so it is never taken for a web or file address and
// renaming the term leaves it working. The visible words are the field's result.

#include <QString>
#include <QtGlobal>

namespace rtf {

inline constexpr char kTermLinkScheme[] = "termora-term:";

// The link target naming the term with key `key`.
QString TermLinkHref(qint64 key);
// The key a term link names; 0 for any other target (a web address, a broken or foreign one).
qint64 TermLinkKey(const QString& href);
// Whether the target is in our scheme at all, well formed or not.
bool IsTermLink(const QString& href);

}  // namespace rtf
