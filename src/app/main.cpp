#include "app_location.h"
#include "frm_mass.h"
#include "pdf_renderer.h"
#include "platform.h"
#include "stop_signals.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // The page preview renders with the built-in engine in this process.
    renderengine::prepareEnvironment();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    applocation::setApplicationNames();
    // Installed, the program works in a folder of the user's, filled at first start.
    const applocation::PreparedFolder folder =
        applocation::prepareApplicationFolder(QCoreApplication::applicationDirPath());
    QtPlatform platform;
    frmMass window(folder.path, &platform);
    // A terminal closed or a SIGTERM: stop the run cleanly, as closing the window does.
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &window, [&window] {
        window.close();
        QCoreApplication::exit(128 + StopSignals::received());
    });
    window.show();
    if (folder.problem == applocation::kNoHome)
        platform.messageBox(&window, folder.problem + QStringLiteral(" and start Paperwake again."),
                            QStringLiteral("Paperwake"), Platform::Buttons::Ok,
                            Platform::Icon::Warning);
    else if (!folder.problem.isEmpty())
        platform.messageBox(&window, folder.problem, QStringLiteral("Paperwake"),
                            Platform::Buttons::Ok, Platform::Icon::Warning);
    // Told to stop while that box was open: its own loop ended, the program's never began.
    if (StopSignals::received() != 0)
        return 128 + StopSignals::received();
    return app.exec();
}
