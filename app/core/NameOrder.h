#pragma once

#include <QCollator>

// The order in which a Russian reader expects names: alphabetical for the Russian
// locale, ignoring letter case (Ё beside Е, "арсенал" beside "Ак Барс").
QCollator russianCollator();
