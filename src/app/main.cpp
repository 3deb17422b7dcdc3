#include "frm_mass.h"
#include "stop_signals.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Paperwake"));
    frmMass window;
    // A terminal closed or a SIGTERM: stop the run cleanly, as closing the window does.
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &window, [&window] {
        window.close();
        QCoreApplication::exit(128 + StopSignals::received());
    });
    window.show();
    return app.exec();
}
