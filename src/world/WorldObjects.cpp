// The three world objects, defined together so that they are constructed in this order (and
// destroyed in the reverse one): the fire, the pickups, the floor.
#include "world/Fire.h"
#include "world/PickupManager.h"
#include "world/TileField.h"

Fire fire;
PickupManager pickupManager;
TileField tileField;
