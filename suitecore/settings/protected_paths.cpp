#include "protected_paths.h"

#include "path_split.h"

#include <framework/syslib.h>

#include <deque>

namespace suitecore::protection
{
namespace
{
// clang-format off
// Protected file names and name parts, in this order (duplicates included).
const LPCWSTR kProtectedFileNames[] = {
    L"ntldr", L"ntdetect.com", L"ntdll.dll", L"ntoskrnl.exe", L"svchost.exe", L"lsass.exe", L"services.exe",
    L"csrss.exe", L"smss.exe", L"boot.ini", L"bootsect.dos", L"io.sys", L"msdos.sys", L"command.com", L"software",
    L"system", L"ntuser.dat", L"ntuser.dat.log", L"ntuser.ini", L"explorer.exe", L"system.dat", L"user.dat",
    L"classes.dat", L"drvspace.bin", L"protocol.ini", L"win.ini", L"system.ini", L"win.com", L"program.ini",
    L"dosprmpt.pif", L"win386.swp", L"pagefile.sys", L"hiberfile.sys", L"config.sys", L"autoexec.bat", L"wz.pif",
    L"passwd.log", L"oakley.log", L"ssl.log", L"usrclass.dat", L"usrclass.dat.log", L"cleanup.log", L"desktop.ini",
    L"userdiff.log", L"userdiff", L"tempkey.log", L"system.sav", L"system.log", L"software.sav", L"software.log",
    L"security.log", L"sam.log", L"default.sav", L"default.log", L"sysevent.evt", L"appevent.evt", L"secevent.evt",
    L"security", L"default", L"sam", L".default", L"winnt32.log", L"passwd.log", L"oakley.log", L"h32log.txt",
    L"objects.data", L"outlook.srs", L"extend.dat", L"scan.dat", L"outlook.pst", L"index.dat", L"normal.dot",
    L"schedlog.txt", L"setup.exe", L"unwise.exe", L"install.log", L"uninstall.exe", L"uninstall.ini", L"uninstal.exe",
    L"uninstal.ini", L"Uninst.isu", L"unins000.exe", L"unins000.dat", L"unins001.exe", L"unins001.dat", L"unwise32.exe",
    L"setup.in", L"schedlgu.txt", L"netlogon.chg", L"userinit.exe", L"data.bak", L".~NT", L"bootlog.prv",
    L"chklist.dll", L"chklist.exe", L"chklist.com", L"chklist.bat", L"chklist.txt", L"chklist.doc", L"edb.chk",
    L"data.sav", L"data.bak", L"W95UNDO.ini", L"autoexec.bat", L".myd", L"config.sys", L"io.sys", L"control.ini",
    L".prn", L".met", L".slt", L".sbd", L"assemblyinfo", L"DoNotDel.", L"DHCP.TMP", L"JET.LOG", L".~NT", L".backup",
    L"bootlog.prv", L".dgb.bak", L"schedlog.txt", L"edb.chk", L"setup.chk", L"chklist.dll", L"chklist.exe",
    L"chklist.com", L"chklist.bat", L"chklist.txt", L"chklist.doc", L".myd", L"autoexec.bat", L"config.sys", L"io.sys",
    L"msdos.sys", L"control.ini", L".part", L".prn", L".met", L".slt", L".sbd", L"admin.pub", L"getright", L"cache.dat",
    L"cache.ind", L"chnicon.bmp", L"signatures.ini",
};

// Protected folder fragments, in this order (duplicates included).
const LPCWSTR kProtectedFolderFragments[] = {
    L"\\system32\\", L"\\syswow64\\", L"\\Connection Wizard", L"\\Downloaded Program Files", L"\\Driver Cache",
    L"\\Fonts", L"\\help", L"\\LastGood", L"\\PCHEALTH", L"\\Prefatch", L"\\RegisteredPackages", L"\\Offline Web Pages",
    L"\\repair", L"\\security", L"\\Program Files\\Common Files", L"\\InstallShield Installation Information",
    L"\\config.msi", L"\\Program Files\\Microsoft Office", L"\\Microsoft", L"\\System Volume Information",
    L"\\system32\\dllcache", L"program files\\common files", L"program files\\uninstall information", L"\\sendto",
    L"windows\\system32", L"winnt\\system32", L"\\i386", L"\\application data", L"\\quarantine",
    L"\\temporary internet files", L"ntuninstall", L"\\assembly", L"\\lastgood", L"\\microsoft.net",
    L"\\installshield installation information", L"\\servicepackfiles", L"\\system32\\config", L"\\system32\\driver",
    L"\\inetpub", L"windows\\inf", L"winnt\\inf", L"\\asp.net_", L"\\asp.net", L"\\asp.net", L".netframework",
    L"\\.net clr", L"\\windows\\help", L"\\winnt\\help", L"\\options\\install", L"\\msocache", L":\\recycle",
    L":\\recycler", L":\\recycled", L":\\_restore", L":\\system volume information", L"symantec shared\\virusdefs",
    L"\\sendto", L"\\paprport\\data", L"chaos32", L"\\system32\\dllcache", L"\\program files\\common files",
    L"\\resources\\themes", L"\\system32\\security", L"\\system32\\config", L"\\system32\\catroot",
    L"\\windows\\security", L"\\winnt\\security", L"\\system32\\usmt", L"\\office\\data", L"office\\templates",
    L"\\content.ie5", L"\\microsoft\\office\\", L"\\microsoft\\templates\\", L"\\system32\\config\\systemprofile",
    L"\\vbox\\", L"\\microsoft\\outlook", L"\\assembly\\", L"\\microsoft.net\\framework\\", L"\\system32\\catroot",
    L"\\system32\\usmt", L"\\norton antivirus\\", L"\\quarantine\\",
    L"\\program files\\installshield installation information\\", L"\\microsoft.net\\primary interop assemblies",
    L"\\servicepackfiles\\i386\\", L"\\system32\\drivers\\", L"\\local settings\\application data\\identities\\",
    L"\\pchealth", L"\\microsoft\\address", L"\\backup", L"\\application data\\m", L"\\application data\\r",
    L"\\identities\\{", L"\\opera7\\profile", L"\\opera7\\mail", L"\\opera\\profile", L"\\opera\\mail",
    L"\\system32\\ntmsdata\\", L"\\system32\\msdtc\\", L"\\system32\\catroot2\\", L"\\repair\\", L"\\csc\\",
    L"\\registration\\", L"\\all users\\drm\\", L"\\lastgood", L"\\winsxs",
};

// Extensions of files that are never deleted, whatever the file protection says.
const LPCWSTR kCriticalExtensions[] = {
    L"exe", L"sys", L"dll", L"com", L"ocx", L"cpl", L"drv", L"tlb", L"vxd", L"cat", L"dot",
};

// File types that run code or hold documents with macros.
const LPCWSTR kRiskyExtensions[] = {
    L"acm", L"ade", L"adp", L"app", L"asa", L"asp", L"aspx", L"ax", L"bas", L"bat", L"bin", L"cer", L"chm", L"clb",
    L"cmd", L"cnt", L"cnv", L"com", L"cpl", L"cpx", L"crt", L"csh", L"dll", L"drv", L"dtd", L"exe", L"fxp", L"grp",
    L"h1s", L"hlp", L"hta", L"ime", L"inf", L"ins", L"isp", L"its", L"js", L"jse", L"ksh", L"lnk", L"mad", L"maf",
    L"mag", L"mam", L"man", L"maq", L"mar", L"mas", L"mat", L"mau", L"mav", L"maw", L"mda", L"mdb", L"mde", L"mdt",
    L"mdw", L"mdz", L"msc", L"msi", L"msp", L"mst", L"mui", L"nls", L"ocx", L"ops", L"pal", L"pcd", L"pif", L"prf",
    L"prg", L"pst", L"reg", L"scf", L"scr", L"sct", L"shb", L"shs", L"sys", L"tlb", L"tsp", L"url", L"vb", L"vbe",
    L"vbs", L"vsmacros", L"vss", L"vst", L"vsw", L"ws", L"wsc", L"wsf", L"wsh", L"xsd", L"xsl",
};

// clang-format on

static_assert(sizeof(kProtectedFileNames) / sizeof(*kProtectedFileNames) == kFileNameCount);
static_assert(sizeof(kProtectedFolderFragments) / sizeof(*kProtectedFolderFragments) == kFolderFragmentCount);

CStringArray BuildFragments()
{
    CStringArray working;
    AppendFileNames(working);
    AppendFolderFragments(working);
    CStringArray fragments;
    fragments.SetSize(0, working.GetSize());
    for (INT_PTR i = 0; i < working.GetSize(); ++i)
    {
        CString entry = working[i];
        entry.MakeLower();
        entry.Trim();
        fragments.Add(entry);
    }
    return fragments;
}

// Built while the library loads and never changed afterwards, so any thread may read them.
const CStringArray g_fragments = BuildFragments();
const FragmentMatcher g_matcher(g_fragments);

bool LiteralScanFindsFragment(const CStringArray& fragments, LPCWSTR path)
{
    CString lowered(path);
    lowered.MakeLower();
    for (INT_PTR i = 0; i < fragments.GetSize(); ++i)
        if (lowered.Find(fragments[i]) >= 0)
            return true;
    return false;
}

enum class Extension
{
    Unsplittable, // the path does not fit the split record
    None,
    Present,
};

// The path's extension without a leading full stop, trimmed and lower-cased.
Extension SplitExtension(LPCWSTR path, CString& normalised)
{
    CPathSplit split;
    if (!split.Split(path))
        return Extension::Unsplittable;
    if (!split.m_szExt[0])
        return Extension::None;
    normalised = split.m_szExt;
    if (normalised[0] == L'.')
        normalised.SetAt(0, L' ');
    normalised.Trim();
    normalised.MakeLower();
    return Extension::Present;
}

template <size_t N>
bool IsOneOf(const CString& value, const LPCWSTR (&list)[N])
{
    for (LPCWSTR entry : list)
        if (value == entry)
            return true;
    return false;
}
} // namespace

void AppendFileNames(CStringArray& array)
{
    for (LPCWSTR name : kProtectedFileNames)
        array.Add(name);
}

void AppendFolderFragments(CStringArray& array)
{
    for (LPCWSTR fragment : kProtectedFolderFragments)
        array.Add(fragment);
}

const CStringArray& ProtectedFragments()
{
    return g_fragments;
}

FragmentMatcher::FragmentMatcher(const CStringArray& fragments) : m_fragments(fragments)
{
    // Input classes: one per character that occurs in some fragment.
    uint8_t classOf[128] = {};
    for (INT_PTR i = 0; i < fragments.GetSize() && m_usable; ++i)
    {
        const CString& fragment = fragments[i];
        m_usable = !fragment.IsEmpty();
        for (int k = 0; k < fragment.GetLength() && m_usable; ++k)
        {
            const wchar_t ch = fragment[k];
            if (ch >= 128 || ch == 0 || m_classes == 255)
                m_usable = false;
            else if (!classOf[ch])
                classOf[ch] = static_cast<uint8_t>(m_classes++);
        }
    }
    if (!m_usable)
        return;

    // ASCII code units lower-cased exactly as the path is.
    CString ascii;
    for (wchar_t ch = 1; ch < 128; ++ch)
        ascii.AppendChar(ch);
    ascii.MakeLower();
    for (int ch = 1; ch < 128; ++ch)
    {
        const wchar_t lower = ascii[ch - 1];
        m_class[ch] = lower < 128 ? classOf[lower] : 0;
    }

    // The fragments' trie, then failure links breadth first (Aho-Corasick), folded into a
    // complete transition table. A transition into a state where some fragment ends is kMatch.
    const int k = m_classes;
    std::vector<int> next(static_cast<size_t>(k), -1);
    std::vector<bool> accepting(1, false);
    for (INT_PTR i = 0; i < fragments.GetSize(); ++i)
    {
        int state = 0;
        for (LPCWSTR p = fragments[i]; *p; ++p)
        {
            int& target = next[static_cast<size_t>(state * k + classOf[*p])];
            if (target < 0)
            {
                target = static_cast<int>(accepting.size());
                accepting.push_back(false);
                next.resize(next.size() + static_cast<size_t>(k), -1);
            }
            state = next[static_cast<size_t>(state * k + classOf[*p])];
        }
        accepting[static_cast<size_t>(state)] = true;
    }
    if (accepting.size() >= kMatch)
    {
        m_usable = false;
        return;
    }

    std::vector<int> fail(accepting.size(), 0);
    std::deque<int> queue;
    for (int c = 0; c < k; ++c)
    {
        int& target = next[static_cast<size_t>(c)];
        if (target < 0)
            target = 0;
        else
            queue.push_back(target);
    }
    while (!queue.empty())
    {
        const int state = queue.front();
        queue.pop_front();
        for (int c = 0; c < k; ++c)
        {
            int& target = next[static_cast<size_t>(state * k + c)];
            const int viaFail = next[static_cast<size_t>(fail[static_cast<size_t>(state)] * k + c)];
            if (target < 0)
            {
                target = viaFail;
                continue;
            }
            fail[static_cast<size_t>(target)] = viaFail;
            if (accepting[static_cast<size_t>(viaFail)])
                accepting[static_cast<size_t>(target)] = true;
            queue.push_back(target);
        }
    }

    m_next.resize(next.size());
    for (size_t i = 0; i < next.size(); ++i)
        m_next[i] = accepting[static_cast<size_t>(next[i])] ? kMatch : static_cast<uint16_t>(next[i]);
}

bool FragmentMatcher::Run(LPCWSTR text, bool lowered, bool& sawWide) const
{
    const uint16_t* next = m_next.data();
    const unsigned k = static_cast<unsigned>(m_classes);
    unsigned state = 0;
    for (; *text; ++text)
    {
        const unsigned ch = *text;
        unsigned input = 0;
        if (ch < 128)
            input = m_class[ch];
        else if (!lowered)
        {
            sawWide = true; // its lower case is not known from the table
            return false;
        }
        state = next[state * k + input];
        if (state == kMatch)
            return true;
    }
    return false;
}

bool FragmentMatcher::ContainsFragment(LPCWSTR path) const
{
    if (!path)
        return false;
    if (!m_usable)
        return LiteralScanFindsFragment(m_fragments, path);
    bool sawWide = false;
    if (Run(path, false, sawWide))
        return true;
    if (!sawWide)
        return false;
    // A character beyond ASCII: lower-case the whole path first, as the framework does.
    CString lowered(path);
    lowered.MakeLower();
    return Run(lowered, true, sawWide);
}

bool IsPathUnprotected(LPCWSTR path)
{
    return !g_matcher.ContainsFragment(path);
}

bool PassesFileProtection(LPCWSTR path, SfcQueryFn query)
{
    CString extension;
    switch (SplitExtension(path, extension))
    {
    case Extension::Unsplittable:
        return false;
    case Extension::None:
        return true;
    case Extension::Present:
        break;
    }
    if (IsOneOf(extension, kCriticalExtensions))
        return false;
    return !(query && query(nullptr, path));
}

bool IsFileDeletable(LPCWSTR path, SfcQueryFn query)
{
    if (!path)
        return false;
    CString lowered(path);
    lowered.MakeLower();
    return IsPathUnprotected(lowered) && PassesFileProtection(lowered, query);
}

bool HasRiskyExtension(LPCWSTR path)
{
    CString extension;
    switch (SplitExtension(path, extension))
    {
    case Extension::Unsplittable:
        return true;
    case Extension::None:
        return false;
    case Extension::Present:
        break;
    }
    return IsOneOf(extension, kRiskyExtensions);
}

SfcQueryFn SystemFileProtectionQuery()
{
    static const SfcQueryFn query = []
    {
        // Stays loaded for the process, like every library bound at run time.
        const HMODULE sfc = AfxLoadSystemLibrary(L"sfc.dll");
        return sfc ? reinterpret_cast<SfcQueryFn>(GetProcAddress(sfc, "SfcIsFileProtected")) : nullptr;
    }();
    return query;
}
} // namespace suitecore::protection
