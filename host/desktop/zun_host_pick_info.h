#pragma once

#include "contracts/data/zun_data_item.h"

#include <QString>

#include <functional>

// What a picked group of a part's picture is, in words: a line for the
// status bar from the data its generator drew it from (the "INFO" of
// zunPartImageBuild), not from the picture. Lengths are written by length
// (the drawing's value in, the text with its unit out), the words in the
// language of the message catalogue, names given in several languages
// (a shell's) in language.
// Empty when the generator told nothing about the group.
QString zunGroupInfoText(const CZunDataItem& info, int group, const QString& language,
                         const std::function<QString(double)>& length);
