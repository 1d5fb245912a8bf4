#include "show/FightPlacements.h"

#include "base/Random.h"

namespace {

KarateFightSetup Record(float x, float y, float z, float heading, float scale, float ringWidth, Node* parent,
                        float cx, float cy, float cz, float wx, float wy, float wz, float lookAtHeight) {
    KarateFightSetup s;
    s.position[0] = x, s.position[1] = y, s.position[2] = z;
    s.heading = heading;
    s.scale = scale;
    s.ringWidth = ringWidth;
    s.parent = parent;
    s.cameraBase[0] = cx, s.cameraBase[1] = cy, s.cameraBase[2] = cz;
    s.cameraWobble[0] = wx, s.cameraWobble[1] = wy, s.cameraWobble[2] = wz;
    s.lookAtHeight = lookAtHeight;
    return s;
}

}  // namespace

void FightPlacements::KarateRecords(KarateFightSetup* r) {
    // The headings are drawn in record order.
    const float h0 = 90.0f + 5.0f * Rand01();
    const float h1 = 90.0f + 5.0f * Rand01();
    const float h2 = 5.0f * Rand01() - 90.0f;
    const float h3 = 90.0f + 5.0f * Rand01();
    const float h4 = 5.0f * Rand01() - 90.0f;
    r[0] = Record(-6, 0, -2, h0, 1, 8, nullptr, -12, 1.75f, -2, 2, 0.5f, 4, 0);
    r[1] = Record(-3, 0, 4, h1, 1, 6, nullptr, -5, 0.7f, 4, 0.2f, 0.3f, 2, 0);
    r[2] = Record(0, 0, -5, h2, 1, 7, nullptr, 3, 1, -6, 0.3f, 0.25f, 3, 0);
    r[3] = Record(3, 0, 5, h3, 1, 7, nullptr, -1, 1.4f, 8, 0, 0, 0, 0);
    r[4] = Record(6, 0, 0, h4, 1, 9, nullptr, 18, 1.5f, 0, 1, 0.5f, 8, 0);
}

void FightPlacements::MatrixRecords(KarateFightSetup* r, Node* computer, Node* monitor, bool* usable) {
    r[0] = Record(0, 0.07f, 0.001f, 0, 0.05f, 6.4f, computer, 0, 0.25f, 0.3f, 0, 0, 0, 0);
    r[1] = Record(0, 0.352f, 0.15f, 0, 0.05f, 6.1f, monitor, 0, 0.6f, 0.4f, 0.2f, 0.025f, 0.1f, -0.15f);
    r[2] = Record(-0.5f, 0, 0.2f, 50, 0.1f, 6.5f, nullptr, -0.9f, 0.3f, 0.5f, 0, 0, 0, 0.05f);
    r[3] = Record(0.5f, 0, -0.3f, 40, 0.13f, 6.5f, nullptr, 0.1f, 0.1f, 0.55f, 0, 0.05f, 0, 0);
    usable[0] = computer != nullptr;
    usable[1] = monitor != nullptr;
    usable[2] = usable[3] = true;
}

void FightPlacements::Deal(const std::vector<KarateFight*>& fights, const KarateFightSetup* records,
                           const bool* usable, int count, bool placeFighters) {
    std::vector<bool> taken(static_cast<size_t>(count), false);
    for (KarateFight* fight : fights) {
        int record = RandomNext() % count;
        int steps = 0;
        while (steps < count && (taken[static_cast<size_t>(record)] || !usable[record])) {
            record = (record + 1) % count;
            ++steps;
        }
        if (steps == count) continue;
        taken[static_cast<size_t>(record)] = true;
        fight->Setup(records[record]);
    }
    for (KarateFight* fight : fights) fight->Reset(placeFighters);
}
