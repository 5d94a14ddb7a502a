#pragma once

class Form1;

// Runs once, before the window is first shown: fills the port lists, reads config.ini and makes
// the configured connections and program launches by pressing the window's own buttons. The
// network door starts listening after the rig port's connection, before the application ports.
// Returns false when config.ini was missing (it has been written; nothing else was done).
bool runStartup(Form1 &form);
