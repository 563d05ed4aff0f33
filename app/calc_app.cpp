#include "app/calc_app.h"

#include <QLibraryInfo>
#include <QTranslator>

#include "app/main_frame.h"
#include "app/message_box.h"
#include "app/settings.h"
#include "app/single_instance.h"
#include "app/termination_signals.h"

namespace tallix {

CalcApp::CalcApp(int& argc, char** argv) : QApplication(argc, argv) {
    setQuitOnLastWindowClosed(false);
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
    instance_ = std::make_unique<SingleInstance>();
    switch (instance_->claim()) {
        case SingleInstance::Claim::HandedOver:
            return 0;
        case SingleInstance::Claim::Unreachable:
            showWarning(nullptr, QStringLiteral("Tallixは既に起動しています"));
            return 1;
        case SingleInstance::Claim::First:
            break;
    }

    settings_ = std::make_unique<Settings>();
    frame_ = std::make_unique<MainFrame>(*settings_);
    MainFrame* frame = frame_.get();
    connect(instance_.get(), &SingleInstance::showRequested, frame, &MainFrame::showFrame);
    // Queued: the command that asks for the end may come from the window's own menus.
    connect(frame, &MainFrame::exitRequested, this, &CalcApp::exitProgram, Qt::QueuedConnection);
    connect(this, &QGuiApplication::commitDataRequest, frame, &MainFrame::storeRestoredRect);
    auto* terminations = new TerminationSignals(this);
    connect(terminations, &TerminationSignals::received, this, &CalcApp::exitProgram);

    if (!startsHidden(arguments())) frame->show();
    const int code = exec();
    frame_.reset();
    return code;
}

void CalcApp::exitProgram() {
    frame_.reset();
    quit();
}

}  // namespace tallix
