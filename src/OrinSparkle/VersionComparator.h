#pragma once

#include <QStringView>

// Orders version strings the way people number releases: "27" < "103", "1.9" < "1.10",
// "1.0" == "1.0.0", and a pre-release such as "2.0b1" or "2.0rc2" comes before "2.0".
// Answers <0, 0 or >0 as a is older than, the same as, or newer than b.
int compareVersions(QStringView a, QStringView b);
