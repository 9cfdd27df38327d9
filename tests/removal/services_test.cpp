// Service deletion against the prefix's Service Control Manager.
#include "testutil.h"
#include "removal/services.h"
#include <stdio.h>
#include <gtest/gtest.h>

static std::string ServiceName(const char *tag)
{
    char name[64];
    snprintf(name, sizeof name, "VlPrims%s%lu", tag, GetCurrentProcessId());
    return name;
}

static SC_HANDLE CreateTestService(SC_HANDLE manager, const std::string &name)
{
    std::string binary = "\"" + BinPath("exitafter.exe") + "\" 0 0";
    return CreateServiceA(manager, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                          SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, binary.c_str(), NULL, NULL, NULL, NULL,
                          NULL);
}

static bool ServiceOpens(SC_HANDLE manager, const std::string &name)
{
    SC_HANDLE service = OpenServiceA(manager, name.c_str(), SERVICE_QUERY_STATUS);
    if (service) CloseServiceHandle(service);
    return service != NULL;
}

TEST(Services, CreatedServiceIsDeleted)
{
    std::string dir = MakeTempFolder("svc");
    std::string log = OpenTestLog(dir, false);
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    ASSERT_TRUE(manager != NULL);
    std::string name = ServiceName("Del");
    SC_HANDLE service = CreateTestService(manager, name);
    ASSERT_TRUE(service != NULL) << GetLastError();
    CloseServiceHandle(service);

    EXPECT_EQ(0u, DeleteServiceByName(name.c_str()));
    EXPECT_FALSE(ServiceOpens(manager, name));
    CloseServiceHandle(manager);
    std::string text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "Deleting service '" + name + "'"));
    EXPECT_EQ(0, CountOf(text, "not found"));
    EXPECT_EQ(0, CountOf(text, "failed"));
    RemoveFolderTree(dir);
}

TEST(Services, MissingServiceIsNotFoundAndSuccess)
{
    std::string dir = MakeTempFolder("svcmissing");
    std::string log = OpenTestLog(dir, false);
    std::string name = ServiceName("None");
    EXPECT_EQ(0u, DeleteServiceByName(name.c_str()));
    std::string text = ReadText(log);
    EXPECT_LT(Where(text, "Deleting service '" + name + "'"), Where(text, "Service '" + name + "' not found"));
    RemoveFolderTree(dir);
}

TEST(Services, ServiceAlreadyMarkedForDelete)
{
    std::string dir = MakeTempFolder("svcmarked");
    std::string log = OpenTestLog(dir, false);
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    ASSERT_TRUE(manager != NULL);
    std::string name = ServiceName("Marked");
    SC_HANDLE service = CreateTestService(manager, name);
    ASSERT_TRUE(service != NULL) << GetLastError();
    // An open handle keeps a deleted service in the database, marked for delete.
    ASSERT_TRUE(DeleteService(service));
    EXPECT_EQ(0u, DeleteServiceByName(name.c_str()));
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    std::string text = ReadText(log);
    // Wine either keeps the marked service (Windows' behaviour) or drops it at once.
    EXPECT_TRUE(CountOf(text, "Service '" + name + "' already marked for delete") == 1 ||
                CountOf(text, "Service '" + name + "' not found") == 1)
        << text;
    RemoveFolderTree(dir);
}
