#include "suitenames.h"

namespace
{
// clang-format off
const LPCWSTR kExecutables[] = {
    L"Lumasweep.exe",         // the main program and launcher
    L"RegistrySweep.exe",     // registry cleaner
    L"RegistryTune.exe",      // registry compactor
    L"RegistryBackup.exe",    // registry backup and restore
    L"DiskSweep.exe",         // junk-file cleaner
    L"DiskTune.exe",          // disk optimizer
    L"DiskTuneService.exe",   // the disk optimizer's background service
    L"EmptyFolderSweep.exe",  // empty-folder cleaner
    L"DuplicateFinder.exe",   // duplicate-file finder
    L"FileRescue.exe",        // undelete
    L"ShortcutFixer.exe",     // broken-shortcut repair
    L"PrivacySweep.exe",      // history and traces cleaner
    L"MemoryTune.exe",        // memory optimizer
    L"StartupTune.exe",       // start-up manager
    L"InternetTune.exe",      // connection optimizer
    L"UninstallManager.exe",  // program remover
    L"ProcessGuard.exe",      // process manager
    L"SystemGuard.exe",       // protection tool; also runs the update check
    L"SysFileBackup.exe",     // system-file backup
    L"TaskPlanner.exe",       // the suite's scheduler
    L"SystemInfoTool.exe",    // system information
    L"DriverBackup.exe",      // driver backup
    L"SuiteTour.exe",         // demonstration program
    L"LumaTray.exe",          // tray agent
    L"LumaUpdate.exe",        // definition-database updater
    L"LumaShellHelper.exe",   // helpers, each with its 64-bit variant
    L"LumaShellHelper64.exe",
    L"RegAccess.exe",
    L"RegAccess64.exe",
    L"DiskAccess.exe",
    L"DiskAccess64.exe",
    L"Farewell.exe",          // before-uninstall survey
    L"ShredTool.exe",         // secure delete
    L"SealTool.exe",          // secure encrypt
    // Started by the suite's own windows and first-run wizard; appended after the first 34.
    L"wardtool.exe",          // protection tool run for the update check
    L"qmndemo.exe",           // demonstration program run from the main window
    L"Keepsafe.exe",          // system-file backup run by the first-run wizard
    L"Tasklane.exe",          // scheduler started by the first-run wizard
};
static_assert(std::size(kExecutables) == 38);

const LPCWSTR kTasks[] = {
    L"QMN-RegistrySweep",
    L"QMN-DiskSweep",
    L"QMN-DiskTune",
    L"QMN-PrivacySweep",
    L"QMN-MemoryTune",
    L"QMN-RegistryBackup",
    L"QMN-SystemGuard",
    L"QMN-LumaUpdate",
    L"LumaDiskTuneSvc",       // the disk-optimizer service's own task
};
static_assert(std::size(kTasks) == 9);

const LPCWSTR kRunValues[] = {
    L"Lumasweep", L"LumaTray", L"SystemGuard", L"MemoryTune", L"LumaUpdate", L"ProcessGuard",
};
static_assert(std::size(kRunValues) == 6);
// clang-format on

const SuiteNames kSuite = {
    kExecutables, L"LumaDiskTuneSvc", "{22BCB679-B28D-4afb-998B-3F1762AAF4E2}", kTasks, kRunValues,
};
} // namespace

const SuiteNames& LumasweepSuite()
{
    return kSuite;
}
