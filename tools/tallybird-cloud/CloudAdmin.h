#pragma once

#include <QStringList>
#include <QTextStream>

// The commands of the container admin tool. Returns the exit status: 0 done, 1 the container
// refused or failed, 2 bad arguments.
int runCloudAdmin(const QStringList& arguments, QTextStream& out, QTextStream& err);
