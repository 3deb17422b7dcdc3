#include "frm_mass.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Paperwake"));
    frmMass window;
    window.show();
    return app.exec();
}
