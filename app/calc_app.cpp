#include "app/calc_app.h"

#include <QDebug>
#include <QDir>
#include <QLibraryInfo>
#include <QScopedValueRollback>
#include <QTranslator>
#include <utility>

#include "app/console/calc_view.h"
#include "app/desktop/activation_token.h"
#include "app/desktop/descriptor_limit.h"
#include "app/desktop/single_instance.h"
#include "app/desktop/termination_signals.h"
#include "app/dialogs/message_box.h"
#include "app/main_frame.h"
#include "app/settings/settings.h"
#include "tallix_version.h"

namespace tallix {

namespace {

const QString SAVE_FAILED = QStringLiteral("設定を保存できませんでした。");
const QString UNGUARDED = QStringLiteral(
    "多重起動を防ぐためのフォルダーを用意できませんでした。\n"
    "このまま起動しますが、Tallixを続けて起動すると二つ目のウィンドウが開きます。");

}  // namespace

CalcApp::CalcApp(int& argc, char** argv) : QApplication(argc, argv) {
    setQuitOnLastWindowClosed(false);
    // The name the desktop shows and reads out for the program (the tray item's title, the
    // window class). The settings store names its place itself and does not follow it.
    setApplicationName(QStringLiteral("Tallix"));
    setDesktopFileName(QStringLiteral(TALLIX_APP_ID));
    installTranslations();
}

CalcApp::~CalcApp() = default;

bool CalcApp::startsHidden(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i].compare(QLatin1String("/s"), Qt::CaseInsensitive) == 0 ||
            arguments[i] == QLatin1String("--hidden")) {
            return true;
        }
    }
    return false;
}

// Qt's own texts (the console's context menu, the font dialog, message-box
// buttons) in Japanese like the rest of the program.
void CalcApp::installTranslations() {
    auto* translator = new QTranslator(this);
    if (translator->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        installTranslator(translator);
    }
}

int CalcApp::run() {
    raiseDescriptorLimit();
    instance_ = std::make_unique<SingleInstance>();
    // The launcher's permission to raise a window goes to the instance that shows one.
    const QString token = takeLauncherToken();
    switch (instance_->claim(token)) {
        case SingleInstance::Claim::HandedOver:
            return 0;
        case SingleInstance::Claim::Unreachable:
            showWarning(nullptr, QStringLiteral("Tallixは既に起動しています"));
            return 1;
        case SingleInstance::Claim::Unguarded:
            showWarning(nullptr, UNGUARDED);
            break;
        case SingleInstance::Claim::First:
            break;
    }

    settings_ = std::make_unique<Settings>();
    settings_->setSaveFailureHandler([this](const QString& path) { reportSaveFailure(path); });
    frame_ = std::make_unique<MainFrame>(*settings_);
    MainFrame* frame = frame_.get();
    connect(instance_.get(), &SingleInstance::showRequested, frame, &MainFrame::callUp);
    // Queued: the command that asks for the end may come from the window's own menus.
    connect(frame, &MainFrame::exitRequested, this, &CalcApp::exitProgram, Qt::QueuedConnection);
    connect(this, &QGuiApplication::commitDataRequest, frame, [this, frame] {
        const QScopedValueRollback quiet(quiet_, true);
        frame->storeRestoredRect();
    });
    auto* terminations = new TerminationSignals(this);
    connect(terminations, &TerminationSignals::received, this, [this] {
        quiet_ = true;
        exitProgram();
    });

    if (!startsHidden(arguments())) {
        // Qt's Wayland plugin takes the launcher's permission to take the focus from here.
        if (!token.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
        frame->show();
        frame->activateWindow();
    }
    // The permission is for now, not for a later call-up.
    qunsetenv("XDG_ACTIVATION_TOKEN");
    const int code = exec();
    quiet_ = true;
    frame_.reset();
    return code;
}

void CalcApp::exitProgram() {
    if (activeModalWidget() != nullptr ||
        (frame_ && (frame_->view()->isEvaluating() || frame_->isWaitingForDesktop()))) {
        // A dialog, the console waiting for a slow line, or the window waiting for the
        // desktop to answer a hotkey binding runs an event loop further down this very
        // stack: ending the loops closes the dialog, stops the line or gives up the binding
        // and unwinds back to run(), which takes the window down once nothing uses it.
        exit(0);
        return;
    }
    frame_.reset();
    if (!unsavedNotice_.isEmpty()) showWarning(nullptr, std::exchange(unsavedNotice_, QString()));
    quit();
}

// The settings store tells of the first failed save only, so this is said once a run.
void CalcApp::reportSaveFailure(const QString& path) {
    const QString text = SAVE_FAILED + '\n' + QDir::toNativeSeparators(path);
    if (quiet_) {
        qWarning().noquote() << text;
    } else if (frame_) {
        showWarning(frame_.get(), text);
    } else {
        // The window is being destroyed: tell it when it is gone.
        unsavedNotice_ = text;
    }
}

}  // namespace tallix
