#pragma once

// Body of the /user and /service modes: claims the instance mutex, opens the console when asked,
// reads the settings and runs the listener. Returns only when the listener could not start.
void ProxyRunner();
