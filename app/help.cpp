#include "app/help.h"

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
// child so that an exit status telling "no program for this file" still reaches the user; the
// path goes as one argument, so blanks in it need no quoting.
void launch(const QString& path, QObject* context,
            const std::function<void(const QString&)>& warn) {
    auto* process = new QProcess(context);
    process->setProgram(help_opener());
    process->setArguments({path});
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::errorOccurred, context,
                     [process, warn](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart) return;
                         warn(help_missing_message());
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::finished, context,
                     [process, warn](int code, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || code != 0)
                             warn(help_missing_message());
                         process->deleteLater();
                     });
    process->start();
}
#else
void launch(const QString& path, QObject*, const std::function<void(const QString&)>& warn) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) warn(help_missing_message());
}
#endif

}  // namespace

QString help_missing_message() {
    return QStringLiteral(
        "ヘルプファイル（HTMLファイル）が見つかりません。実行ファイルと同じフォルダに置いてください"
        "。");
}

QStringList help_locations(const QString& exe_dir) {
    QStringList places{QDir(exe_dir).filePath(kHelpFile),
                       QDir::cleanPath(QDir(exe_dir).filePath("../share/tallix/" + kHelpFile))};
    const QStringList data =
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, "tallix/" + kHelpFile);
    for (const QString& path : data) {
        const QString clean = QDir::cleanPath(path);
        if (!places.contains(clean)) places.append(clean);
    }
    return places;
}

QString find_help_file(const QString& exe_dir) {
    for (const QString& path : help_locations(exe_dir)) {
        if (QFileInfo(path).isFile()) return QFileInfo(path).absoluteFilePath();
    }
    return {};
}

QString help_opener() {
    return QStringLiteral("xdg-open");
}

void open_help(const QString& exe_dir, QObject* context,
               const std::function<void(const QString&)>& warn) {
    const QString path = find_help_file(exe_dir);
    if (path.isEmpty()) {
        warn(help_missing_message());
        return;
    }
    launch(path, context, warn);
}

}  // namespace tallix
