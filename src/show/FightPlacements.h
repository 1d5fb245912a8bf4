#pragma once

#include <vector>

#include "show/KarateFight.h"

class Node;

// Where the show's fights stand: five places on the outdoor stage and four on the hardware
// table (two of them on the computer and on the monitor), dealt to the fights in a random
// order so that every fight gets a place of its own.
class FightPlacements {
public:
    static constexpr int kKarateCount = 5;
    static constexpr int kMatrixCount = 4;

    // The outdoor places (headings in degrees drawn a little apart each time).
    static void KarateRecords(KarateFightSetup* records);
    // The table's places; the first two stand on the computer and on the monitor (positions in
    // their space). A place whose object is missing is marked unusable.
    static void MatrixRecords(KarateFightSetup* records, Node* computer, Node* monitor, bool* usable);
    // Fight i starts at record rand() % count and takes the next free usable one (wrapping); a
    // fight that finds none keeps its place. Then every fight is reset.
    static void Deal(const std::vector<KarateFight*>& fights, const KarateFightSetup* records, const bool* usable,
                     int count, bool placeFighters);
};
