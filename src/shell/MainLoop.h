// The window's callbacks and the pacing of frames: 60 a second while the picture changes, none
// while a still screen stands, with the frame clock kept ticking at the same pace.
#pragma once

// Registers every callback of the window (reshape, display, idle, mouse, keyboard). Call after the
// window is created and before glutMainLoop.
void registerCallbacks();

// Makes sure frames are drawn again after something outside the callbacks (a test, a benchmark's
// player) changed what the screen should show.
void wakeFrames();
