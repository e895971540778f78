#include "CliRun.h"

#include "ApplicationTitle.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    SetApplicationTitle();
    return CliRun::main(QCoreApplication::arguments().mid(1), ServerOverride::fromEnvironment());
}
