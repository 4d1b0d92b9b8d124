// The cross-check's stages, in the order CrossCheck runs them. Internal to crosscheck/.
#pragma once

#include "contest.h"

namespace crosscheck {

// Reads every file, on every core: one log a file (another format than REG1TEST: one a band),
// its header checked against the rules, each QSO's line checked and its time placed in a
// period.
void ReadLogs(Contest& contest, std::vector<LogInput> inputs);

// Of several logs of one station and band, the one with most valid QSOs takes part.
void ChooseLogs(Contest& contest);

// Every QSO of the logs that take part gets its verdict and points.
void MatchQsos(Contest& contest);

// Each log's score, and the ranks in each band and category.
void ScoreLogs(Contest& contest);

// Whether the two calls are one letter or digit apart: one changed, added or left out.
bool OneEditApart(QStringView a, QStringView b);
// Q1ABC for Q1ABC/P, and Q1ABC/P for Q1ABC.
QString TogglePortable(const QString& call);

} // namespace crosscheck
