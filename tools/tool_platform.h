#pragma once
// Prepares the platform as start-up would (PlatformApi on Windows; nothing
// natively), for the small command-line tools.
void InitToolPlatform();
