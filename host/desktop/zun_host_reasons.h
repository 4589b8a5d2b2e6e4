#pragma once

#include "contracts/data/zun_data_file.h"

#include <QString>

// Why a file could not be read, in the message language. The readers below
// the host word their reasons in English, pieced together from a frame
// ("expected ... at ...") and what was expected; the host rewords the
// frames and the common pieces it knows and leaves the rest (paths in the
// file, JSON syntax) as written.

// The position ("line 3, column 5") and the reason of a drawing or data file.
QString zunHostFileError(const ZUN::CDataFileError& error);
// A reason in the message language where its wording is known; any other
// is given back unchanged.
QString zunHostReason(const QString& reason);
