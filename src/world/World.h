// The world's update pass: the fire, then the floor, then the pickups, once per playing frame.
#pragma once

// The pass does not look at the game state between its steps: in the frame in which the floor
// ends the run, the pickups are still updated.
void updateWorld(float seconds);
