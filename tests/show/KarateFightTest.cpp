// The self-playing fight without GL: the rules on a stand-in sprite set whose silhouettes are
// plain rectangles, and whole fights on the show's own frames and collision images.
#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "base/Random.h"
#include "io/Bitmap.h"
#include "io/Loader.h"
#include "scene/CameraNode.h"
#include "scene/GeomEngine.h"
#include "scene/SceneNode.h"
#include "show/BalloonNode.h"
#include "show/KarateFight.h"
#include "show/KarateSpriteSets.h"
#include "show/Karateka.h"
#include "show/SloganList.h"
#include "support/LogCapture.h"

namespace {

const float kDt = 1.0f / 60.0f;

// 78 frames of one block each, every one with a 40 x 80 pixel solid silhouette (1.2 x 2.4 units).
GeomBlockSprite* RectangleFighters() {
    static GeomBlockSprite* sprite = [] {
        auto* s = new GeomBlockSprite();
        for (int i = 0; i < KarateSpriteSets::kFighterFrameCount; ++i) {
            Bitmap image;
            image.Create(2, 1, 32);
            image.GetPixels()[3] = 255;
            auto collision = std::make_unique<Bitmap>();
            collision->Create(40, 80, 32);
            for (uint32_t p = 0; p < 40 * 80; ++p) collision->GetPixels()[p * 4 + 3] = 255;
            s->AddFrame(image, std::move(collision));
        }
        return s;
    }();
    return sprite;
}

// The show's sprite sets and slogans from the generated data directory, loaded once.
struct ShowAssets {
    KarateSpriteSets sets;
    SloganList slogans;
    bool fightersComplete = false;
    bool refereeComplete = false;
};
ShowAssets& Assets() {
    static ShowAssets* assets = [] {
        auto* a = new ShowAssets();
        Loader loader;
        loader.LoadFromDataDirectory(std::string(TATAMIX_SOURCE_DIR) + "/data/");
        SetLoader(&loader);
        a->fightersComplete = a->sets.LoadFighters();
        a->refereeComplete = a->sets.LoadReferee();
        a->slogans.Load(&loader);
        SetLoader(nullptr);
        return a;
    }();
    return *assets;
}

// One fight in a scene of its own.
class Arena {
public:
    Arena(int fighters, GeomBlockSprite* fighterSprites, GeomBlockSprite* refereeSprites,
          const SloganList* slogans, float ringWidth = 8.0f) {
        m_engine = CreateGeomEngine();
        m_scene = m_engine->CreateScene("scene");
        fight = new KarateFight(m_scene, fighterSprites, refereeSprites, slogans);
        fight->Init(fighters);
        KarateFightSetup setup;
        setup.position[0] = 1.0f;
        setup.heading = 90.0f;
        setup.ringWidth = ringWidth;
        setup.cameraBase[0] = -6.0f, setup.cameraBase[1] = 1.75f;
        setup.cameraWobble[0] = 2.0f, setup.cameraWobble[1] = 0.5f, setup.cameraWobble[2] = 4.0f;
        fight->Setup(setup);
    }
    // One engine per process: arenas must not overlap.
    ~Arena() {
        m_engine->DetachNode(m_scene->GetId());
        delete m_scene;
        DestroyGeomEngine();
    }
    void Step() {
        fight->Update(time, kDt);
        m_scene->UpdateTransforms();
        m_scene->Update(false);
        time += kDt;
    }

    KarateFight* fight;
    float time = 0.0f;

private:
    GeomEngine* m_engine;
    SceneNode* m_scene;
};

TEST(Karateka, HighKicksDazeThenFloorTheOpponent) {
    RandomSeed(7);
    Arena arena(2, RectangleFighters(), nullptr, nullptr);
    Karateka* attacker = arena.fight->GetFighter(0);
    Karateka* victim = arena.fight->GetFighter(1);
    attacker->SetX(0.0f), attacker->SetFacing(0);
    victim->SetX(0.81f), victim->SetFacing(1);
    victim->SetMode(Karateka::MODE_CAUTIOUS);

    // Each kick: the high kick's reach frame, the victim's check, then the victim alone plays on.
    auto kickAndWatch = [&]() {
        attacker->SetMove(13);
        while (attacker->GetFrame() != 11) attacker->Step();
        victim->CheckHits();
        std::vector<int> moves = {victim->GetMove()};
        for (int i = 0; i < 600; ++i) {
            victim->Update(arena.time, kDt);
            arena.time += kDt;
            if (victim->GetMove() != moves.back()) moves.push_back(victim->GetMove());
        }
        return moves;
    };
    // Facing each other: hit in the front, dazed, up again with 30 left.
    EXPECT_EQ(kickAndWatch(), (std::vector<int>{26, 29, 32, 0}));
    EXPECT_FLOAT_EQ(victim->GetEnergy(), 30.0f);
    // The second leaves it down for good.
    EXPECT_EQ(kickAndWatch(), (std::vector<int>{26, 29, 35}));
    EXPECT_TRUE(victim->IsDown());
    EXPECT_TRUE(victim->IsHit());

    // A down fighter is not hit again; out of reach nothing happens.
    victim->CheckHits();
    EXPECT_EQ(victim->GetMove(), 35);
    victim->ResetForFight();
    victim->SetX(3.0f);
    victim->CheckHits();
    EXPECT_EQ(victim->GetMove(), 0);
    EXPECT_FLOAT_EQ(victim->GetEnergy(), 70.0f);
}

TEST(Karateka, TurningAttacksStrikeTheOpponentBehind) {
    // Round kick, back kneel kick, back high fist: the attacker turns to the opponent behind it
    // and strikes there, not at the empty side it turned away from.
    const struct { int move, strikeFrame, reachPixels; } attacks[] = {{17, 11, 27}, {18, 38, 51}, {21, 33, 33}};
    for (const auto& a : attacks) {
        for (const float side : {-1.0f, 1.0f}) {
            RandomSeed(5);
            Arena arena(2, RectangleFighters(), nullptr, nullptr);
            Karateka* attacker = arena.fight->GetFighter(0);
            Karateka* victim = arena.fight->GetFighter(1);
            attacker->SetX(0.0f), attacker->SetFacing(0);
            victim->SetX(side * a.reachPixels * 0.03f), victim->SetFacing(0);
            attacker->SetMove(a.move);
            while (attacker->GetFrame() != a.strikeFrame) attacker->Step();
            victim->CheckHits();
            EXPECT_EQ(victim->IsHit(), side < 0.0f) << "move " << a.move << " opponent at " << side;
        }
    }
}

TEST(Karateka, NearestOpponentOpponentLimitAndIdleGag) {
    RandomSeed(3);
    Arena arena(3, RectangleFighters(), nullptr, nullptr);
    Karateka* me = arena.fight->GetFighter(0);
    Karateka* a = arena.fight->GetFighter(1);
    Karateka* b = arena.fight->GetFighter(2);
    me->SetX(0.0f), a->SetX(-1.0f), b->SetX(1.0f);
    me->FindNearest();
    EXPECT_EQ(me->GetNearest(), 0);  // the first of equally near ones
    EXPECT_FLOAT_EQ(me->GetDistance(0), -1.0f);
    a->SetMove(25);
    me->FindNearest();
    EXPECT_EQ(me->GetNearest(), 1);  // hit fighters are not targets
    b->SetMove(26);
    me->FindNearest();
    EXPECT_EQ(me->GetNearest(), -1);

    for (int i = 0; i < 40; ++i) me->AddOpponent(a);
    EXPECT_EQ(me->GetOpponents().size(), 32u);

    // Standing passive for over 5 s: the pants-down gag, and the fighter turns cautious.
    Karateka* idle = arena.fight->GetFighter(2);
    idle->SetMove(0);
    idle->SetMode(Karateka::MODE_PASSIVE);
    bool gag = false;
    for (int i = 0; i < 6 * 60 && !gag; ++i) {
        idle->Update(arena.time, kDt);
        gag = idle->GetMove() == Karateka::MOVE_PANTS_DOWN;
        arena.time += kDt;
    }
    EXPECT_TRUE(gag);
    EXPECT_EQ(idle->GetMode(), Karateka::MODE_CAUTIOUS);
}

TEST(Karateka, AttacksAreAnsweredUpToSixUnitsInFront) {
    // An attack reaches out to 6 units in front of the attacker; exactly 6 is out of range.
    for (float distance : {5.9f, 6.0f}) {
        RandomSeed(3);
        Arena duel(2, RectangleFighters(), nullptr, nullptr, 20.0f);
        Karateka* attacker = duel.fight->GetFighter(0);
        Karateka* other = duel.fight->GetFighter(1);
        attacker->SetX(-3.0f), attacker->SetFacing(0), attacker->SetMove(12);
        other->SetX(-3.0f + distance), other->SetFacing(1);
        other->SetMode(Karateka::MODE_AGGRESSIVE), other->SetThinkTimer(0.0f);
        other->Think();
        const std::set<int> reactions = {8, 6, 7};
        EXPECT_EQ(reactions.count(other->GetMove()), distance < 6.0f ? 1u : 0u) << distance;
    }
}

TEST(KarateFight, ResetPlacesAndDressesTheFighters) {
    RandomSeed(11);
    Arena arena(3, RectangleFighters(), nullptr, nullptr);
    arena.fight->Reset(true);
    // Ring 8: margin 0.8, places at -3.2, 0, 3.2; the middle one (x = 0) faces +x.
    EXPECT_FLOAT_EQ(arena.fight->GetFighter(0)->GetTargetX(), -3.2f);
    EXPECT_FLOAT_EQ(arena.fight->GetFighter(1)->GetTargetX(), 0.0f);
    EXPECT_EQ(arena.fight->GetFighter(1)->GetTargetFacing(), 0);
    EXPECT_EQ(arena.fight->GetFighter(2)->GetTargetFacing(), 1);
    for (int i = 0; i < 3; ++i) {
        const Karateka* f = arena.fight->GetFighter(i);
        EXPECT_EQ(f->GetMode(), Karateka::MODE_WALK_TO_PLACE);
        EXPECT_FLOAT_EQ(f->GetZ(), -0.03f + 0.03f * i);
        EXPECT_EQ(f->GetReplaceColorOld()[0], 1.0f);
        bool giColour = false;
        for (const auto& gi : KarateFight::kGiColors) giColour |= f->GetReplaceColorNew()[0] == gi[0];
        EXPECT_TRUE(giColour);
    }
}

TEST(KarateFight, OneOrNoFightersStayFiniteAndMatchesCycle) {
    RandomSeed(13);
    for (int count : {1, 0}) {
        Arena lone(count, RectangleFighters(), nullptr, nullptr);
        lone.fight->Reset(true);
        std::set<int> states;
        for (int i = 0; i < 20 * 60; ++i) {
            lone.Step();
            states.insert(lone.fight->GetState());
        }
        EXPECT_EQ(states.size(), 4u) << count;
        for (int i = 0; i < count; ++i) EXPECT_TRUE(std::isfinite(lone.fight->GetFighter(i)->GetX()));
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(std::isfinite(lone.fight->GetLookAt()[i])) << count;
    }
}

TEST(KarateFight, EveryoneHitAtOnceKeepsTheCameraFinite) {
    RandomSeed(5);
    Arena arena(3, RectangleFighters(), nullptr, nullptr);
    arena.fight->Reset(true);
    for (int i = 0; i < 60 * 60 && arena.fight->GetState() != KarateFight::STATE_FIGHTING; ++i) arena.Step();
    ASSERT_EQ(arena.fight->GetState(), KarateFight::STATE_FIGHTING);
    for (int i = 0; i < 3; ++i) arena.fight->GetFighter(i)->SetMove(25 + i);
    arena.Step();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(std::isfinite(arena.fight->GetLookAt()[i]));
    for (int i = 0; i < 120; ++i) arena.Step();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(std::isfinite(arena.fight->GetLookAt()[i]));
}

TEST(KarateFight, MatchOverWithoutSlogansSaysNothingMore) {
    RandomSeed(9);
    const SloganList none;
    for (const SloganList* slogans : {&none, static_cast<const SloganList*>(nullptr)}) {
        Arena arena(3, RectangleFighters(), nullptr, slogans);
        arena.fight->Reset(true);
        std::set<std::string> said;
        int matchesOver = 0, previous = arena.fight->GetState();
        for (int i = 0; i < 240 * 60; ++i) {
            arena.Step();
            if (arena.fight->GetBalloon()->IsShown()) said.insert(arena.fight->GetBalloon()->GetText());
            matchesOver += previous == 2 && arena.fight->GetState() == 3;
            previous = arena.fight->GetState();
        }
        EXPECT_GE(matchesOver, 2);
        for (const std::string& text : said)
            EXPECT_TRUE(text.empty() || text == "FIGHT!" || text == "MATCH OVER!" || text == "GET READY!")
                << text;
    }
}

// What a whole fight did, step by step.
struct FightRecord {
    std::vector<std::tuple<int, int, int>> moveChanges;  // step, fighter, new move
    std::set<int> moves;
    std::set<std::string> said;
    int matchesStarted = 0;
    int matchesEnded = 0;
    int downAtEndMin = 1000;
    int downAtEndMax = -1;
    int hits = 0;               // entries into moves 25-27
    int downs = 0;              // entries into moves 34-36
    int getUps = 0;             // entries into moves 31-33
    float worstOutside = 0.0f;  // furthest any fighter stood outside its ring
    bool cameraFinite = true;
    std::map<int, int> attacks;  // attack move -> times started
};

FightRecord RecordFight(uint32_t seed, int fighters, float seconds) {
    ShowAssets& assets = Assets();
    RandomSeed(seed);
    Arena arena(fighters, &assets.sets.GetFighters(), &assets.sets.GetReferee(), &assets.slogans);
    arena.fight->Reset(true);
    FightRecord record;
    std::vector<int> last(static_cast<size_t>(fighters), -1);
    int previousState = arena.fight->GetState();
    const int steps = static_cast<int>(seconds * 60.0f);
    for (int step = 0; step < steps; ++step) {
        arena.Step();
        KarateFight* fight = arena.fight;
        const int state = fight->GetState();
        int down = 0;
        for (int i = 0; i < fighters; ++i) {
            const Karateka* f = fight->GetFighter(i);
            const int move = f->GetMove();
            down += f->IsDown();
            if (move != last[static_cast<size_t>(i)]) {
                record.moveChanges.emplace_back(step, i, move);
                record.moves.insert(move);
                record.hits += move >= 25 && move <= 27;
                record.downs += move >= 34 && move <= 36;
                record.getUps += move >= 31 && move <= 33;
                if (move >= 11 && move <= 22) ++record.attacks[move];
                last[static_cast<size_t>(i)] = move;
            }
            const float outside = std::max(fight->GetLeft() - f->GetX(), f->GetX() - fight->GetRight());
            record.worstOutside = std::max(record.worstOutside, outside);
        }
        if (previousState == 1 && state == 2) ++record.matchesStarted;
        if (previousState == 2 && state == 3) {
            ++record.matchesEnded;
            record.downAtEndMin = std::min(record.downAtEndMin, down);
            record.downAtEndMax = std::max(record.downAtEndMax, down);
        }
        previousState = state;
        if (fight->GetBalloon()->IsShown()) record.said.insert(fight->GetBalloon()->GetText());
        for (int i = 0; i < 3; ++i) record.cameraFinite &= std::isfinite(fight->GetLookAt()[i]);
    }
    return record;
}

TEST(KarateFightOnShowArtwork, ThreeFightersForFiveMinutes) {
    ShowAssets& assets = Assets();
    ASSERT_TRUE(assets.fightersComplete) << "generate the data directory first (tatamix-assetgen data)";
    ASSERT_TRUE(assets.refereeComplete);
    ASSERT_EQ(assets.sets.GetFighters().GetFrameCount(), 78u);
    ASSERT_EQ(assets.sets.GetReferee().GetFrameCount(), 26u);
    ASSERT_FALSE(assets.slogans.IsEmpty());

    const FightRecord record = RecordFight(3, 3, 300.0f);
    std::cout << "matches " << record.matchesStarted << " started, " << record.matchesEnded << " ended; hits "
              << record.hits << ", downs " << record.downs << ", get-ups " << record.getUps << "; attacks:";
    for (const auto& attack : record.attacks) std::cout << " " << attack.first << "x" << attack.second;
    std::cout << std::endl;

    EXPECT_GE(record.matchesStarted, 3);
    EXPECT_GE(record.matchesEnded, 3);
    EXPECT_GE(record.downAtEndMin, 2);  // a match of three ends when two are down
    for (int move = 11; move <= 22; ++move) EXPECT_EQ(record.moves.count(move), 1u) << "attack " << move;
    EXPECT_GT(record.hits, 0);
    EXPECT_GT(record.downs, 0);
    EXPECT_GT(record.getUps, 0);
    for (const char* text : {"FIGHT!", "MATCH OVER!", "GET READY!"})
        EXPECT_EQ(record.said.count(text), 1u) << text;
    bool slogan = false;
    for (const std::string& text : assets.slogans.GetAll()) slogan |= record.said.count(text) > 0;
    EXPECT_TRUE(slogan);
    EXPECT_LE(record.worstOutside, 0.0f);
    EXPECT_TRUE(record.cameraFinite);

    // A seed replays the same fight; another seed fights another one.
    const FightRecord again = RecordFight(3, 3, 300.0f);
    EXPECT_EQ(again.moveChanges, record.moveChanges);
    const FightRecord other = RecordFight(7, 3, 300.0f);
    EXPECT_NE(other.moveChanges, record.moveChanges);
}

TEST(KarateFightOnShowArtwork, AFightOfTwoEndsWhenOneIsDown) {
    const FightRecord record = RecordFight(77, 2, 300.0f);
    EXPECT_GE(record.matchesEnded, 2);
    EXPECT_EQ(record.downAtEndMin, 1);
}

}  // namespace
