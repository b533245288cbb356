// The plug-in's entry point as the host sees it: a C function that the host finds by name
// after loading the plug-in and calls once for each run.
#pragma once

// The host's parameters are not read; the result is 0.
extern "C" int plugin_exec(void* parameters);

using PluginExecFunction = int (*)(void*);
