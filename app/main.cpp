#include "app/Main.h"
#include "platform/executableDir.h"
#include "resources/fonts.h"
#include "resources/resources.h"
#include "store/uDM.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setWindowIcon(resources::ProgramIcon());
    resources::RegisterFonts();

    // The data module lives for the whole run; the window is created after it
    // and goes before it.
    store::Tdm dm;
    int exitCode = 0;
    {
        TfMain window(dm, platform::ExecutableDir());
        if (!window.started())
            return 1;
        window.show();
        exitCode = QApplication::exec();
    }
    return exitCode;
}
