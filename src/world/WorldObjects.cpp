// The three world objects, defined together so that they are constructed in this order (and
// destroyed in the reverse one): the fire, the pickups, the floor; and their update pass.
#include "world/World.h"

#include "world/Fire.h"
#include "world/PickupManager.h"
#include "world/TileField.h"

Fire fire;
PickupManager pickupManager;
TileField tileField;

void updateWorld(float seconds) {
    fire.update(seconds);
    tileField.update(seconds);
    pickupManager.update(seconds);
}
