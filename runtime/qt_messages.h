#pragma once

#include <QtGlobal>
#include <string>

class QString;

namespace veltrane {

// Qt's own messages said as the program's: every line on standard error begins with "pravik: ".
// Debug and info chatter is dropped, and so are the notices that say nothing a user can act on
// (no XDG_RUNTIME_DIR, a platform without size hints).
void installQtMessages();

// What standard error gets for a Qt message of `type`: its lines, each prefixed, or nothing.
std::string qtMessageText(QtMsgType type, const QString& message);

} // namespace veltrane
