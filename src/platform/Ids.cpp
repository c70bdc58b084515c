#include "Ids.h"

#include <QUuid>

QString Ids::newId() { return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(); }
