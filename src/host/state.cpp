// The process-wide records back as the program starts with them.
#include "host/host.h"

#include "disc/catalogue.h"
#include "player/player.h"
#include "player/settings.h"

void ResetProgramState() {
    host = HostState{};
    host.instance = GetModuleHandleW(nullptr);
    DetectPlatform();
    player = PlayerState{};
    settings = Settings{};
    catalogue = Catalogue{};
}
