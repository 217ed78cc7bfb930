#pragma once
// Field instructions as the RTF reader meets them in {\*\fldinst ...}.

#include <QString>

namespace rtf {

// HYPERLINK "target" [\l "anchor"]: the link the instruction names ("target#anchor"), or an
// empty string for any other field.
QString HyperlinkTarget(const QString& instruction);

}  // namespace rtf
