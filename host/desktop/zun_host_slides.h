#pragma once

#include "gdx/zun_gdx.h"

#include <QString>
#include <QStringList>

// Slides and slide libraries as the desktop host opens them: checked
// before they are shown, so that a file that is no slide is refused with a
// reason instead of showing an empty picture.

// True when the file (or, with a library, its slide of that name) has a
// slide header that can be read; else false with the reason.
bool zunHostSlideCheck(const QString& path, QString* reason);

// The names of the readable slides of a library, in its order; false with
// the reason when the file cannot be read or holds none.
bool zunHostSlideLibraryNames(const QString& library, QStringList& names, QString* reason);

// The slide (a file, or the named slide of a library) as display-list items
// appended to gdx. False when it cannot be read.
bool zunHostSlideList(const QString& name, const QString& library, CZunGDX& gdx);
