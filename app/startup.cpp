#include "startup.h"

#include "app/address_main.h"
#include "app/single_instance.h"
#include "data/dialog_service.h"
#include "data/program_directory.h"
#include "data/printer_presence.h"
#include "data/supplied/supplied_tables.h"
#include "print/printer_device.h"
#include "ui/qt_dialog_service.h"

#include <QApplication>
#include <QStandardPaths>
#include <cstdio>

using namespace qorvel;

bool installProgramHome(const QStringList& arguments) {
    HomeSources sources;
    sources.commandLineHome = homeArgument(arguments);
    sources.environmentHome = qEnvironmentVariable("QORVEL_HOME");
    sources.executableDir = QCoreApplication::applicationDirPath();
    sources.userDataDir =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/qorvel");
    const QString home = chooseHome(sources);

    const HomeFolders folders = prepareHomeFolders(home);
    if (!folders.ok) {
        std::fprintf(stderr, "qorvel: %s\n", qPrintable(folders.error));
        dialogs().error(folders.error);
        return false;
    }
    setProgramDirectory(home);
    if (folders.sysdataCreated)
        installSuppliedTables(homePath(QStringLiteral("sysdata")));
    return true;
}

int runQorvel(int& argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Qorvel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Qorvel"));

    QtDialogService dialogService;
    setDialogService(&dialogService);
    // The presence check asks the real printer list from here on.
    setPrinterSystem(&print::devicePrinterSystem());

    int status = 2;
    if (installProgramHome(QApplication::arguments())) {
        SingleInstance instance(ProgramDirectory());
        if (!instance.claim()) {
            setDialogService(nullptr);
            return 0;  // the running Qorvel was asked to show itself
        }
        TAddressMain window;
        QObject::connect(&instance, &SingleInstance::activationRequested, &window, [&window] {
            window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
            window.show();
            window.raise();
            window.activateWindow();
        });
        window.show();
        status = QApplication::exec();
    }
    setDialogService(nullptr);
    setPrinterSystem(nullptr);
    print::PrinterDevice::discardShared();
    return status;
}
