#include "runtime/qt_messages.h"

#include "identity/identity.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <cstdio>

namespace veltrane {

namespace {

// Qt's notices that tell the user nothing: the runtime folder Qt falls back on when the session
// has none, and the offscreen platform's missing size hints.
bool saysNothing(const QString& message) {
    return message.startsWith(u"QStandardPaths: XDG_RUNTIME_DIR not set") ||
           message == u"This plugin does not support propagateSizeHints()";
}

void writeQtMessage(QtMsgType type, const QMessageLogContext& /*context*/, const QString& message) {
    const std::string text = qtMessageText(type, message);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

} // namespace

std::string qtMessageText(QtMsgType type, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg || saysNothing(message)) {
        return {};
    }
    const std::string prefix = std::string{identity::executableName} + ": ";
    std::string out;
    for (const QStringView line : QStringView{message}.split(u'\n', Qt::SkipEmptyParts)) {
        out.append(prefix).append(line.toUtf8().toStdString()).push_back('\n');
    }
    return out;
}

void installQtMessages() {
    qInstallMessageHandler(writeQtMessage);
}

} // namespace veltrane
