// AppModul.h: the start-up module.
#pragma once

// Single instance, global strings, settings-file name, restored position,
// then the figure window shown. Returns into the event loop.
void Main();

// AppTitle and IniFile: what belongs to this program rather than to the
// general-purpose module. Needs AppPath and ExeName.
void InitAppIdentity();
