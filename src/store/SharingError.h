#pragma once

#include <QString>

// Why a sharing operation could not be done; each case has its fixed message.
enum class SharingError { unknownList, notTheOwner, notShared, notAvailableHere };

QString errorDescription(SharingError error);
