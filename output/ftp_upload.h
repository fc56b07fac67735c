// Uploading the current record file to the FTP destinations: each file goes
// to a temporary name in the destination's folder and is then given its own
// name, so a reader on the server never sees half a file.
#pragma once

class CNarvoView;

// The control port (21); tests point it at their own server.
extern int g_nFtpPort;

// Seconds an upload may go on without a byte going out before it fails (30).
extern int g_nFtpLowSpeedSeconds;

// Seam for tests: called on the transfer's thread once libcurl has
// returned, the server's answers all in.
extern void (*g_pFtpTransferEnded)();

// 0 done (or skipped: no server or no user), -1 no connection or login,
// -2 the folder cannot be entered, -3 the transfer failed (or the name
// cannot travel), -4 the rename failed, each shown in its box; -5 stopped
// by the user (中止), told in the status line.
int FtpUploadFile(int index);
// Every selected destination in table order; a failure does not stop the others.
void FtpUploadAll(CNarvoView* view);
// A destination is marked for sending with its server and user filled in.
bool HasFtpSendDestination();
