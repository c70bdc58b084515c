#include "CloudAdmin.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    const int status = runCloudAdmin(arguments, out, err);
    out.flush();
    err.flush();
    return status;
}
