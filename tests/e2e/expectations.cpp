#include "expectations.h"
#include "scenario.h"

const char kUninstallString[] =
    "value HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvik Varolink Client V5.1|UninstallString";

std::vector<std::string> ToolkitFiles()
{
    return {File(P + "\\tools\\c\\include\\vl.h"), File(P + "\\tools\\cplus\\include\\vlcpp.h"),
            File(P + "\\tools\\lib\\avlic32.lib"), File(P + "\\tools\\c\\samples\\bin\\vlsput.exe"),
            File(P + "\\tools\\VB\\include\\vl.bas")};
}
std::vector<std::string> JavaClientFiles()
{
    return {File(P + "\\java\\bin\\vljava.dll"), File(P + "\\tools\\javaclnt\\samples\\*\\vlsample.java"), Dir(P + "\\java\\bin")};
}
std::vector<std::string> GatewayFiles()
{
    return {File(P + "\\bin\\dvlkern.dll"), File(P + "\\gateway\\gateway.ini"), Dir(P + "\\gateway")};
}
std::vector<std::string> GatewayDocFiles()
{
    return {File(P + "\\doc\\gateway\\index.htm"), Dir(P + "\\doc\\gateway"),
            Menu("Programs\\Norvik Varolink\\Internet Gateway Documentation.lnk")};
}
// Files the Windows NT client shares with the server.
std::vector<std::string> SharedClientFiles()
{
    return {File(P + "\\bin\\avlic32.dll"), File(P + "\\bin\\avlcmd.exe"), File(P + "\\bin\\avlclcom.dll"),
            File(D + "\\conv\\table\\00437.tbl")};
}
// Files of the server's own lists and procedure.
std::vector<std::string> ServerFiles()
{
    return {File(P + "\\bin\\AVLSVC.EXE"), File(P + "\\bin\\avlmqm.dll"), File(P + "\\bin\\avlmperf.dll"),
            File(P + "\\lib\\*\\avlmsg.cat"), File(P + "\\bin\\avlisfin.exe"), File(P + "\\bin\\avlsvcps.dll"),
            File(P + "\\bin\\avlsrvcm.exe"), File(D + "\\samples\\vlsample.ini"), File(D + "\\conv\\table\\01208.tbl"),
            File(WindowsFolder() + "\\telready\\monitorslfs\\varolink.tel"), File(P + "\\uninst\\avlmperf.reg"),
            File(P + "\\uninst\\avlicfgn.reg")};
}
// The Java bindings the server ships since release 5.0.
std::vector<std::string> ServerJavaFiles()
{
    return {File(P + "\\java\\lib\\com.norvik.vlbind.jar")};
}
// The queue managers' folders, files and log folders.
std::vector<std::string> QueueManagerData()
{
    return {File(D + "\\qmgrs\\QM*"), Dir(D + "\\qmgrs\\QM*")};
}
// The value names the clients were recorded under, by release.
std::vector<std::string> ClientComponentValues(const std::string &release)
{
    if (release == "2.0") return {ProductValue("", "WindowsNTClientComponent"), ProductValue("", "ToolkitComponent")};
    if (release == "5.0")
        return {ComponentValue("Client Windows NT"), ComponentValue("Kit de developpement"), ComponentValue("Client Java"),
                ComponentValue("Passerelle Internet"), ComponentValue("Documentation de la passerelle")};
    return {ComponentValue("Local Clients\\Windows NT Client"), ComponentValue("Development Toolkit"),
            ComponentValue("Local Clients\\Java Client"), ComponentValue("Internet Gateway"),
            ComponentValue("Documentation\\Internet Gateway")};
}

void AddServicesStopped(ExpectedDifference *e)
{
    Add(&e->MustChange, {"state service NorvikVarolink", "state service VarolinkServices"});
}

void AddProductKeySecured(ExpectedDifference *e)
{
    Add(&e->MustChange, {"acl " + ProductKey(), "acl " + ProductKey("*")});
    Add(&e->MayChange, {"owner " + ProductKey(), "owner " + ProductKey("*")});
}

// A whole-product removal: the five client components through their
// procedures, the program tree clean-up, the Start menu items and (with the
// data) the data, log and Web Administration folders. The server,
// the libraries, the languages and Web Administration are not run through
// their procedures: what their lists name stays for the installer's own
// uninstall program, which the completion page starts.
//
// Releases 2.0 and 5.0 did not record the clients under the names of the
// components key that the confirmation page tests, so whether their client
// procedures run depends on how that test reads an older installation; their
// client files and values may go or stay. Start-up records the server of such
// an installation, which has queue managers, as "Incomplete" under its 5.1 name.
ExpectedDifference WholeRemoval(const std::string &release, bool withData)
{
    bool r5 = release != "2.0", clientsKnown = release == "5.1";
    ExpectedDifference e;
    std::vector<std::string> *clients = clientsKnown ? &e.MustGo : &e.MayGo;
    Add(clients, ToolkitFiles());
    Add(clients, ClientComponentValues(release));
    Add(clients, {File(P + "\\tools\\*"), Dir(P + "\\tools*"), File(P + "\\uninst\\avliclcn.reg")});
    if (r5) {
        Add(clients, JavaClientFiles());
        Add(clients, GatewayFiles());
        Add(clients, GatewayDocFiles());
        Add(&e.MustGo, {Env("classpath"), Env("DVL_PATH"), Env("DVL_XLAT_PATH")});
    }
    if (!clientsKnown) {
        Add(&e.MustCome, {ComponentValue("Server")});
        if (!r5) Add(&e.MustCome, {ProductKey("Components")});
    }
    Add(&e.MustGo, {File(P + "\\bin\\vlold.dll"), File(P + "\\conv\\*"), Dir(P + "\\conv*"),
                    File(P + "\\book\\guide.txt"), Dir(P + "\\book"), File(P + "\\bin\\avlhlpaw.chm"),
                    File(P + "\\README.TXT"), File(P + "\\memo.ptf"), File(P + "\\tools\\VB\\vlsample.vbw"),
                    File(P + "\\bin\\avlhlpaw.chw"), File(P + "\\uninst\\*.u00"), File(P + "\\uninst\\*.u01"),
                    Env("include"), Env("lib"), Menu("Startup\\Varolink Alert Monitor.lnk")});
    std::vector<std::string> menu = {Menu("Programs\\Norvik Varolink\\*"), Menu("Programs\\Norvik Varolink\\")};
    Add(r5 && !clientsKnown ? &e.MayGo : &e.MustGo, menu);
    if (r5 && !clientsKnown) {
        // Every item but the gateway documentation's, which only its component's procedure removes.
        for (const char *item : {"Varolink Information Center", "Release Notes", "Varolink Services", "Varolink Explorer",
                                 "Varolink Command Prompt", "Web Administration", "Varolink API Exerciser",
                                 "Uninstall Varolink", "Read Me"})
            Add(&e.MustGo, {Menu(std::string("Programs\\Norvik Varolink\\") + item + ".lnk")});
    }
    if (r5) {
        // The service level applied to the program tree, its removal shortcut,
        // its registry record and the service levels' backups of that tree.
        Add(&e.MustGo, {File(P + "\\csd01\\*"), Dir(P + "\\csd01"), File(P + "\\bin\\avlcsd1.dll"),
                        Menu("Programs\\Norvik Varolink\\Remove CSD01.lnk"), ProductKey("CSDS Applied"),
                        ProductValue("CSDS Applied", "*"), File(P + "\\BackUp\\u2001\\*"), Dir(P + "\\BackUp\\u2001")});
        Add(&e.MustStay, {File(P + "\\BackUp\\saved\\*"), Dir(P + "\\BackUp")});
    }
    Add(&e.MayGo, {Dir(P + "\\doc")});
    Add(&e.MustChange, {Env("PATH"), ProductValue("", "CreationMask"), kUninstallString});
    if (release == "5.1") Add(&e.MustCome, {ProductValue("", "LogDefaultPath")});

    Add(&e.MustStay, ServerFiles());
    Add(&e.MustStay, {File(P + "\\custom\\site.cfg"), File(P + "\\uninst\\_isuser.dll"), File(P + "\\doc\\html\\*"),
                      ProductKey("Configuration*"), ProductValue("Configuration*", "*"), ProductValue("", "FilePath"),
                      ProductValue("", "WorkPath"), Dir(D)});
    Add(&e.MustStay, QueueManagerData());
    if (r5) Add(&e.MustStay, ServerJavaFiles());
    if (r5) Add(&e.MustStay, {File(P + "\\java\\lib\\com.norvik.vl.jar"), File(P + "\\vlwa\\*"),
                              "service NorvikVarolink", "service VarolinkServices"});
    if (r5) AddServicesStopped(&e);
    if (release == "5.1") Add(&e.MustStay, {ComponentValue("Server"), ComponentValue("Web Administration Server"),
                                            ComponentValue("Additional Languages\\*"), File(P + "\\doc\\de_de\\*")});

    if (!withData) {
        Add(&e.MustStay, {File(D + "\\*"), Dir(D + "*")});
        Add(&e.MustCome, {File(D + "\\avlilogn.txt")});
        return e;
    }
    // The data: the log folder (known to 5.1 from the registry), the
    // obsolete data files, the data folder's own files and the Web
    // Administration user data. The queue managers' own folders, exits and
    // the component lists' data files are not among them.
    Add(&e.MayCome, {File(D + "\\avlilogn.txt")});
    if (release == "5.1") Add(&e.MustGo, {File(G + "\\*"), Dir(G + "*")});
    Add(&e.MustGo, {File(D + "\\old\\vlold.dat"), Dir(D + "\\old"), File(D + "\\VLS.INI"), File(D + "\\avlclchl.tab"),
                    File(D + "\\editor.log"), File(D + "\\errors\\*"), Dir(D + "\\errors"),
                    File(D + "\\qmgrs\\zidqmgr.log"), File(D + "\\qmgrs\\@SYSTEM\\qmstatus.ini")});
    if (r5) Add(&e.MustGo, {File(D + "\\config\\Config.reg"), Dir(D + "\\config"),
                            File(D + "\\vlwa\\scripts\\public\\index.html"), Dir(D + "\\vlwa\\scripts\\public")});
    if (r5) Add(&e.MustGo, {File(D + "\\BackUp\\*"), Dir(D + "\\BackUp*")});
    Add(&e.MustStay, {File(D + "\\qmgrs\\@SYSTEM\\errors\\AMQERR01.LOG"), File(D + "\\exits\\readme.txt"),
                      File(D + "\\conv\\ccsid.tbl")});
    return e;
}

// The development toolkit and the Java client of a rich 5.1 installation:
// their own files go; the Java base archives, which the installed server
// shares, stay; the variables the installer created for the toolkit go with
// their CreationMask bits.
ExpectedDifference ToolkitAndJavaClientRemoval(bool servicesRan)
{
    ExpectedDifference e;
    if (servicesRan) AddServicesStopped(&e);
    Add(&e.MustGo, ToolkitFiles());
    Add(&e.MustGo, JavaClientFiles());
    Add(&e.MustGo, {ComponentValue("Development Toolkit"), ComponentValue("Local Clients\\Java Client"), Env("include"),
                    Env("lib"), Dir(P + "\\tools\\c*"), Dir(P + "\\tools\\cplus*"), Dir(P + "\\tools\\lib"),
                    Dir(P + "\\tools\\VB\\include"), Dir(P + "\\tools\\javaclnt*")});
    Add(&e.MustChange, {Env("classpath"), ProductValue("", "CreationMask")});
    Add(&e.MustCome, {File(D + "\\avlilogn.txt"), ProductValue("", "LogDefaultPath")});
    Add(&e.MustStay, {File(P + "\\java\\lib\\*"), File(P + "\\tools\\VB\\vlsample.vbw"), Env("PATH"), Env("DVL_PATH"),
                      Menu("*"), File(P + "\\uninst\\*"), File(D + "\\*"), ComponentValue("Server")});
    return e;
}

// The server and Web Administration of a rich 5.1 installation removed as
// incomplete components, with or without their data.
ExpectedDifference IncompleteServerRemoval(bool withData)
{
    ExpectedDifference e;
    Add(&e.MustGo, ServerFiles());
    Add(&e.MustGo, ServerJavaFiles());
    Add(&e.MustGo, {"service NorvikVarolink", "service VarolinkServices"});
    Add(&e.MustGo, {Dir(P + "\\lib*"), Dir(WindowsFolder() + "\\telready*"), Dir(D + "\\samples"),
                    ProductKey("Configuration\\LogDefaults"), ProductValue("Configuration\\LogDefaults", "*"),
                    ComponentValue("Server"), ComponentValue("Web Administration Server"),
                    ProductKey("Configuration\\WebAdministration"), ProductValue("Configuration\\WebAdministration", "*"),
                    Menu("Startup\\Varolink Alert Monitor.lnk"), Menu("Programs\\Norvik Varolink\\Varolink Services.lnk"),
                    Menu("Programs\\Norvik Varolink\\Varolink Explorer.lnk"),
                    Menu("Programs\\Norvik Varolink\\Varolink Command Prompt.lnk"),
                    Menu("Programs\\Norvik Varolink\\Web Administration.lnk"),
                    Menu("Programs\\Norvik Varolink\\Varolink API Exerciser.lnk"),
                    // Web Administration, with or without its user data.
                    File(P + "\\vlwa\\*"), Dir(P + "\\vlwa*"), File(D + "\\vlWeb.cfg"), File(P + "\\uninst\\avliwadn.reg")});
    Add(&e.MayGo, {Dir(P + "\\java\\lib"), Dir(D + "\\conv\\table")});
    Add(&e.MustChange, {Env("PATH"), Env("classpath")});
    Add(&e.MustCome, {File(D + "\\avlilogn.txt"), ProductValue("", "LogDefaultPath")});
    Add(&e.MustStay, SharedClientFiles());
    if (withData) {
        // Every queue manager goes from disk and registry, with the data and
        // log folders' product files and the Web Administration user data.
        Add(&e.MustGo, QueueManagerData());
        Add(&e.MustGo, {File(G + "\\*"), Dir(G + "*"), File(D + "\\VLS.INI"), File(D + "\\avlclchl.tab"),
                        File(D + "\\editor.log"), File(D + "\\config\\Config.reg"), Dir(D + "\\config"),
                        File(D + "\\errors\\*"), Dir(D + "\\errors"), File(D + "\\qmgrs\\zidqmgr.log"),
                        File(D + "\\qmgrs\\@SYSTEM\\qmstatus.ini"), ProductKey("Configuration\\QueueManager*"),
                        ProductValue("Configuration\\QueueManager*", "*"), ProductKey("Configuration\\Services\\*"),
                        ProductValue("Configuration\\Services\\*", "*"), File(D + "\\vlwa\\*"), Dir(D + "\\vlwa*")});
        Add(&e.MustStay, {File(P + "\\java\\lib\\com.norvik.vl.jar"), ProductKey("Configuration"),
                          ComponentValue("Local Clients\\Windows NT Client"), File(D + "\\exits\\readme.txt"),
                          File(D + "\\qmgrs\\@SYSTEM\\errors\\AMQERR01.LOG"), Dir(D + "\\qmgrs"),
                          Menu("Programs\\Norvik Varolink\\Uninstall Varolink.lnk")});
        return e;
    }
    // The configuration is exported to Config.reg first; the data folder, the
    // queue managers, their logs and the Web Administration user data stay.
    Add(&e.MustGo, {File(D + "\\vlwa\\scripts\\admin.js")});
    Add(&e.MustChange, {File(D + "\\config\\Config.reg")});
    Add(&e.MustStay, QueueManagerData());
    Add(&e.MustStay, {File(G + "\\*"), Dir(D + "\\qmgrs*"), File(D + "\\VLS.INI"), File(D + "\\qmgrs\\@SYSTEM\\*"),
                      ProductKey("Configuration\\QueueManager*"), File(D + "\\vlwa\\scripts\\public\\index.html")});
    return e;
}
