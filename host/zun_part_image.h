#pragma once

#include "contracts/data/zun_drawing.h"
#include "gdx/zun_gdx.h"

#include <QImage>

// Draws one part of the current drawing through the generator registered
// under its part type into gdx (a fresh list with the application's
// background and the configured colours). False when no generator is
// registered for the type or the generator fails, with the reason in reason.
bool zunPartImageBuild(const ZUN::CZunPart& part, CZunGDX& gdx, QString* reason = nullptr);

// Fits gdx into a picture of the given size (margin 0.05) and paints it.
QImage zunPaintFitted(CZunGDX& gdx, int width, int height);

// A file name for a part: its name, else its handle, with every character
// that is not a letter, digit, '-', '_' or '.' replaced by '_'.
QString zunPartFileName(const ZUN::CZunPart& part);
