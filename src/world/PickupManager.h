// The pickups on the floor and the play rules that tie the fire, the tiles, the score and the
// sounds together: one fuel pickup always, a cooldown pickup every 10 to 25 seconds, and the
// oldest pickup jumping to another tile every 6 seconds.
#pragma once

#include "world/Entity.h"

#include <memory>
#include <vector>

enum class PickupKind : int {
    Fuel = 0,     // scores and is replaced at once
    Cooldown = 1, // cools the floor; lives 10 seconds
    Repair = 2,   // drawn from the diamond; the game never places one
};

// Sprite lists of the pickups, indexed by PickupKind.
extern int pickupLists[3];

class PickupManager {
  public:
    // The pictures load builds, one for each kind: fuel, cooldown, repair.
    static constexpr const char* kPicturePaths[3] = {"./images/circle.png", "./images/arrow.png",
                                                     "./images/diamond.png"};
    static constexpr float kPickupSize = 2.0f;
    static constexpr int kFuelPoints = 100;
    static constexpr float kCooldownLifetime = 10.0f;
    static constexpr float kMinSpawnSeconds = 10.0f;
    static constexpr float kMaxSpawnSeconds = 25.0f;
    static constexpr float kRelocateSeconds = 6.0f;
    // Successors of collected fuel are tested in the same update, but no more than this many
    // times: with the fire on the last intact tile every successor lands within reach.
    static constexpr int kMaxFuelCollectionsPerUpdate = 4;

    PickupManager() = default;

    // Builds the sprites (needs a GL context) and lays out the first pickup and the clocks.
    void load();
    // The GL-free half of load; needs the tile field laid out.
    void layOut();

    // Expiry and collection, then the spawn clock, then the relocation clock.
    void update(float seconds);
    void draw() const;

    // A new fuel pickup on a random intact tile; none when no tile is intact.
    std::unique_ptr<Entity> spawnPickup();
    // Moves e to the centre of a random intact tile. With no intact tile it stays where it is
    // and false comes back.
    bool placeOnIntactTile(Entity& e);
    // Deletes the pickup and closes the gap, keeping the order of the others.
    void removePickup(Entity* pickup);

    // In the order they were added: the front one is the oldest.
    const std::vector<std::unique_ptr<Entity>>& pickups() const { return pickups_; }
    float spawnTimer() const { return spawnTimer_; }
    float relocateTimer() const { return relocateTimer_; }
    void setSpawnTimer(float seconds) { spawnTimer_ = seconds; }
    void setRelocateTimer(float seconds) { relocateTimer_ = seconds; }

  private:
    void collectAndExpire(float seconds);
    void collect(Entity* pickup);
    void runSpawnClock(float seconds);
    void runRelocateClock(float seconds);

    std::vector<std::unique_ptr<Entity>> pickups_;
    float spawnTimer_ = 0.0f;
    float relocateTimer_ = 0.0f;
};

extern PickupManager pickupManager;
