#pragma once
// Field instructions as the RTF reader meets them in {\*\fldinst ...}.

#include <QString>

namespace rtf {

// HYPERLINK "target" [\l "anchor"]: the link the instruction names ("target#anchor"), or an
// empty string for any other field.
QString HyperlinkTarget(const QString& instruction);

// A link a page written for others may carry: http, https or mailto, named as the link begins.
// Scripts, files of the writer's machine and the like are shown as their text only.
bool IsWebLink(const QString& href);

}  // namespace rtf
