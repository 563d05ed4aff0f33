#include "app/desktop/program_icon.h"

namespace tallix {

QIcon programIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/tallix-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/tallix-32.png"), QSize(32, 32));
    return icon;
}

}  // namespace tallix
