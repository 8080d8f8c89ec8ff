// chattermask: the studio. The command line picks the editor: -cmp (default), -hdp or -hap.
#include "shell/CChattermaskApp.h"

#include <QApplication>
#include <QSurfaceFormat>

int main(int argc, char** argv)
{
    // The 3D windows draw with fixed-function OpenGL, which needs a compatibility context; the default
    // format must be set before the application object exists.
    QSurfaceFormat format;
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setDepthBufferSize(24);
    QSurfaceFormat::setDefaultFormat(format);

    QApplication app(argc, argv);
    CChattermaskApp studio(app);
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    return studio.run(arguments);
}
