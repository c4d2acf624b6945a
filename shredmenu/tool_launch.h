// Handing a selection to one of the suite's programs: the selection file and the workers that
// write it and start the program.
#pragma once

#include <framework/collections.h>
#include <framework/thread.h>

#include <memory>

// Writes the selection into a new file "ST*.tmp" of the user's temporary folder, in the
// archive format of a string array. On failure nothing is left behind and the result is false.
BOOL CreateSelectionFile(CStringArray& selection, CString& rPath);

// What a worker needs: its own copy of the confirmed selection and both programs' paths.
struct CToolLaunch
{
    CStringArray selection;
    CString strShredTool;
    CString strSealTool;
};

// The workers: each writes the selection file and starts its program with
// "-FileFolder <file>". The file then belongs to the program; when it cannot be started the
// worker deletes the file.
UINT ShredWorker(LPVOID pParam);
UINT SealWorker(LPVOID pParam);

// Starts a worker on its own thread; it owns the launch from then on. While it runs, the server
// counts it as a lock (DllCanUnloadNow answers S_FALSE). False when no thread could be started.
BOOL StartToolWorker(AFX_THREADPROC pfnWorker, std::unique_ptr<CToolLaunch> launch);
