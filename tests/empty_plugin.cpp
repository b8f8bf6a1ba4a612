// A DLL with no code of its own, built like the plugin: what loading any such DLL costs.
