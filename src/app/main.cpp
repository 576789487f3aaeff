// tulvo-configurator: the desktop program.
//
// Start-up: the configuration image is created and loaded from the store
// before any window exists; then the main window, and the other windows
// that live for the whole run after its first paint or when first opened
// (LongLivedWindows). Shutdown: once the message loop has
// ended, the image saves itself to the store and is destroyed, and only then
// are the windows destroyed (the main window stores its options as it goes).

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImageReader>
#include <QSessionManager>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "actions/serial_ports.h"
#include "app/app_options.h"
#include "app/demo_gateway.h"
#include "app/long_lived_windows.h"
#include "app/shutdown_signals.h"
#include "app/single_instance.h"
#include "app/startup_probe.h"
#include "app/startup_stop.h"
#include "model/t_data.h"
#include "program_version.h"
#include "store/image_store.h"
#include "store/registry_store.h"
#include "ui/app_context.h"
#include "ui/app_icon.h"
#include "ui/main/form1.h"
#include "ui/qt_operator.h"
#include "ui/qt_translation.h"
#include "ui/screen_fit.h"
#include "ui/shutdown_gate.h"

namespace tulvo {
namespace {

// Argument vector for QApplication, which keeps pointers into it for the
// whole run.
struct QtArguments {
    explicit QtArguments(std::vector<std::string> args) : strings(std::move(args)) {
        for (std::string& s : strings) {
            pointers.push_back(s.data());
        }
        pointers.push_back(nullptr);
        count = static_cast<int>(strings.size());
    }
    std::vector<std::string> strings;
    std::vector<char*> pointers;
    int count = 0;
};

// Asks about the file only while no other box is open, so that a start-up
// message (an unusable store, say) is read first and the two never overlap.
void OfferConfigFileWhenFree(TForm1* form, const QString& path, int delayMs = 0) {
    constexpr int kRetryMs = 100;
    QTimer::singleShot(delayMs, form, [form, path] {
        if (QApplication::activeModalWidget() != nullptr) {
            OfferConfigFileWhenFree(form, path, kRetryMs);
        } else {
            form->OfferConfigFile(path);
        }
    });
}

// A file named on the command line, as the running program can find it
// whatever its own working folder.
QString AbsoluteFile(const std::string& path) {
    return path.empty() ? QString() : QFileInfo(QFile::decodeName(path.c_str())).absoluteFilePath();
}

// Shows the main window above the others, restored if it was minimised.
void BringToFront(QWidget* window) {
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

// Another program already serves the store: it has shown its window and
// this one ends (0), or it did not answer and this one is refused (1).
// Nothing when this program is the first.
std::optional<int> HandOverToRunning(SingleInstance::Role role, const SingleInstance& instance,
                                     const std::string& configFile, Operator& op) {
    switch (role) {
        case SingleInstance::Role::First:
            return std::nullopt;
        case SingleInstance::Role::HandedOver:
            std::cerr << "tulvo-configurator: программа уже запущена с этим файлом настроек; "
                         "показано её окно"
                      << (configFile.empty() ? "" : ", ей передан файл " + configFile) << ".\n";
            return 0;
        case SingleInstance::Role::Refused:
            std::cerr << "tulvo-configurator: " << instance.Refusal().toStdString() << '\n';
            op.Error(instance.Refusal().toStdString());
            return 1;
    }
    return std::nullopt;
}

void SetUpApplication(QApplication& app) {
    QApplication::setApplicationName("tulvo-configurator");
    QGuiApplication::setDesktopFileName("com.zarq.TulvoConfigurator");
    QApplication::setWindowIcon(AppIcon());
    InstallQtTranslation(app);
    ScreenFit::Install();
}

// Requests from outside the window: a termination signal or the end of the
// desktop session close the main window as "Выход" does (quitting also
// ends any modal loop that is open; a firmware upload holds it back until it
// has ended), and a later start on the same store shows this window and may
// bring a .cnfg opened from the file manager.
void ConnectOutsideRequests(QApplication& app, ShutdownSignals& shutdownSignals, ShutdownGate& gate,
                            SingleInstance& instance, TForm1& form1) {
    TForm1* form = &form1;
    auto closeMainWindow = [form] {
        form->N4Click();
        QCoreApplication::quit();
    };
    QObject::connect(&shutdownSignals, &ShutdownSignals::requested, form,
                     [&gate, closeMainWindow] { gate.Request(closeMainWindow); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, form,
                     [&gate, closeMainWindow](QSessionManager&) { gate.Request(closeMainWindow); });
    QObject::connect(&instance, &SingleInstance::raiseRequested, form,
                     [form] { BringToFront(form); });
    QObject::connect(&instance, &SingleInstance::fileOffered, form,
                     [form](const QString& path) { OfferConfigFileWhenFree(form, path); });
}

// Once the window is on screen: an unusable store (left alone for the whole
// run: the image keeps its defaults and is not saved over it), the call-log
// file (told when it cannot be read), then a file named on the command line.
void TellStartUpMatters(const RegistryStore& store, Operator& op, LongLivedWindows& windows,
                        const std::string& configFile) {
    if (!store.Usable()) {
        op.Error(store.Problem() +
                 "\nПрограмма работает с настройками по умолчанию и не изменит этот файл.");
    }
    windows.FinishStartUp();
    if (!configFile.empty()) {
        OfferConfigFileWhenFree(&windows.Main(), QFile::decodeName(configFile.c_str()));
    }
}

// The image goes back to the store it came from, unless that store was
// refused at start-up.
void SaveAtExit(TData& image, RegistryStore& store, Operator& op) {
    if (store.Usable() && !SaveImage(image, store)) {
        op.ErrorWithDetail("Невозможно сохранить настройки в файл " + store.Path() + "!",
                           store.LastError());
    }
}

int Run(const AppOptions& options, QtArguments& qtArgs) {
    // Before any thread exists: it changes the environment.
    PreferRussianLocale();
    RegistryStore store(options.storePath.empty() ? RegistryStore::DefaultPath()
                                                  : options.storePath);
    auto image = std::make_unique<TData>();
    // While the application initialises, a second thread claims the store
    // for this program and the image loads itself from it; nothing touches
    // the image, the store or the claim until it has been joined, before
    // the first window exists.
    SingleInstance instance(store.Path(), AbsoluteFile(options.configFile));
    SingleInstance::Role role = SingleInstance::Role::First;
    std::jthread loader([&instance, &role, &image, &store] {
        role = instance.Claim();
        if (role == SingleInstance::Role::First) {
            LoadImage(*image, store);
        }
    });

    QApplication app(qtArgs.count, qtArgs.pointers.data());
    SetUpApplication(app);
    // Qt loads every image-format plugin when the first icon is read: done
    // on a thread of its own while this one reads the fonts.
    std::jthread imagePlugins([] { QImageReader::supportedImageFormats(); });

    // Installed before any window exists, so a signal that comes
    // early waits in the socket until the message loop serves it.
    ShutdownSignals shutdownSignals;
    StartupStop startupStop(shutdownSignals);
    // A firmware upload holds a shutdown back until it has ended.
    ShutdownGate shutdownGate;
    QtOperator op;
    SerialPorts ports;
    ports.AddExtraPortsFromEnvironment();
    // The first window needs the font database, which takes a few
    // milliseconds to read: read here, while the image is still loading.
    QFontMetrics(QApplication::font()).height();
    loader.join();
    imagePlugins.join();
    if (const std::optional<int> handedOver =
            HandOverToRunning(role, instance, options.configFile, op)) {
        return *handedOver;
    }
    instance.Serve();
    std::optional<DemoGateway> demo;
    if (options.demo && !demo.emplace().Offer(ports, store, *image)) {
        std::cerr << "tulvo-configurator: cannot start the demo gateway: " << demo->Error() << '\n';
        return 1;
    }
    AppContext context{*image,
                       store,
                       op,
                       ports,
                       LinkSpeed::Protocol(),
                       options.dataDir.empty() ? AppOptions::DefaultDataDir() : options.dataDir};

    auto windows = std::make_unique<LongLivedWindows>(context, shutdownGate);
    TForm1* form1 = &windows->Main();
    op.SetParentWindow(form1);

    startupStop.End();
    ConnectOutsideRequests(app, shutdownSignals, shutdownGate, instance, *form1);
    // Start-up's messages come once the window is on screen, one box at a time.
    windows->AfterFirstPaint([&] { TellStartUpMatters(store, op, *windows, options.configFile); });
    StartupProbe probe;
    if (options.measureStartup) {
        probe.Watch(form1);
    }
    form1->show();
    // A signal during a start-up box ends the program before its loop runs.
    const int status = startupStop.Requested() ? 0 : QApplication::exec();
    // Rows edited in the call log's grid since its last save.
    windows->SaveCallLogIfEdited();

    SaveAtExit(*image, store, op);
    image.reset();
    windows.reset();
    return status;
}

}  // namespace
}  // namespace tulvo

int main(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    const tulvo::AppOptions options = tulvo::AppOptions::Parse(args);
    if (options.help) {
        std::cout << tulvo::AppOptions::Usage();
        return 0;
    }
    if (options.version) {
        std::cout << "tulvo-configurator " << tulvo::kProgramVersion << '\n';
        return 0;
    }
    if (!options.error.empty()) {
        std::cerr << "tulvo-configurator: " << options.error << '\n' << tulvo::AppOptions::Usage();
        return 2;
    }
    tulvo::QtArguments qtArgs(args);
    return tulvo::Run(options, qtArgs);
}
