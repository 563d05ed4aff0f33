#include "app/desktop/help.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace tallix {

namespace {

const QString kHelpFile = QStringLiteral("index.htm");

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// xdg-open knows the user's choice of browser on every desktop. It is started as an ordinary
// child so that an exit status telling "no program for this file" still brings the page up in
// the program's own window; the
// path goes as one argument, so blanks in it need no quoting.
void launch(const QString& path, QObject* context, const HelpFallbacks& fallbacks) {
    auto* process = new QProcess(context);
    process->setProgram(helpOpener());
    process->setArguments({path});
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::errorOccurred, context,
                     [process, path, fallbacks](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart) return;
                         fallbacks.showPage(path);
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::finished, context,
                     [process, path, fallbacks](int code, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || code != 0) fallbacks.showPage(path);
                         process->deleteLater();
                     });
    process->start();
}
#else
void launch(const QString& path, QObject*, const HelpFallbacks& fallbacks) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) fallbacks.showPage(path);
}
#endif

}  // namespace

QString helpMissingMessage() {
    return QStringLiteral(
        "ヘルプファイル（HTMLファイル）が見つかりません。実行ファイルと同じフォルダに置いてください"
        "。");
}

QStringList helpLocations(const QString& exeDir) {
    QStringList places{QDir(exeDir).filePath(kHelpFile),
                       QDir::cleanPath(QDir(exeDir).filePath("../share/tallix/" + kHelpFile))};
    const QStringList data =
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, "tallix/" + kHelpFile);
    for (const QString& path : data) {
        const QString clean = QDir::cleanPath(path);
        if (!places.contains(clean)) places.append(clean);
    }
    return places;
}

QString findHelpFile(const QString& exeDir) {
    for (const QString& path : helpLocations(exeDir)) {
        if (QFileInfo(path).isFile()) return QFileInfo(path).absoluteFilePath();
    }
    return {};
}

QString helpOpener() {
    return QStringLiteral("xdg-open");
}

void openHelp(const QString& exeDir, QObject* context, const HelpFallbacks& fallbacks) {
    const QString path = findHelpFile(exeDir);
    if (path.isEmpty()) {
        fallbacks.warn(helpMissingMessage());
        return;
    }
    launch(path, context, fallbacks);
}

}  // namespace tallix
