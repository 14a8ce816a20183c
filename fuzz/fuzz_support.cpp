// fuzz_support.cpp: jail, silence, reset and the time watchdog for the fuzz targets.
#include "fuzz_support.h"

#include "core/startup.h"
#include "parse/char_class.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

static void exit_hook(uint32_t) { throw FuzzExit{}; }

static void enter_jail()
{
    const char* jail = std::getenv("VREL_FUZZ_JAIL");
    if (!jail || chdir(jail) != 0 || chroot(".") != 0 || chdir("/work") != 0) {
        std::fprintf(stderr, "fuzz: these inputs may remove files; run as root with "
                             "VREL_FUZZ_JAIL naming a prepared jail (see fuzz/run.sh)\n");
        std::abort();
    }
    // The jail's /work belongs to nobody; nothing else in it can be removed from here.
    if (setgid(65534) != 0 || setuid(65534) != 0)
        std::abort();
}

void fuzz_init()
{
    static bool ready = false;
    if (ready)
        return;
    ready = true;
    enter_jail();
    int null_fd = open("/dev/null", O_RDWR);
    dup2(null_fd, 0);
    dup2(null_fd, 1);
    close(null_fd);
    char name[] = "vrel";
    char* argv[] = {name, nullptr};
    sys_init(1, argv);
    use_system_code_page();
    sys_disable_programs(true);
    sys_set_exit_hook(exit_hook);
}

ShellContext* fuzz_context()
{
    init_context(&shell_context);
    return &shell_context;
}

static void collect_name(const char* entry, void* data)
{
    std::string text(entry);
    auto* names = static_cast<std::vector<std::string>*>(data);
    names->push_back(text.substr(0, text.find('=', 1)));
}

// Empties a folder the inputs wrote into, whatever attributes they gave its entries.
static void clear_folder(const std::string& path)
{
    chmod(path.c_str(), 0700);
    DIR* folder = opendir(path.c_str());
    if (!folder)
        return;
    std::vector<std::string> names;
    while (dirent* entry = readdir(folder))
        if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
            names.push_back(path + "/" + entry->d_name);
    closedir(folder);
    for (const std::string& name : names) {
        struct stat info;
        if (lstat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            clear_folder(name);
            rmdir(name.c_str());
        } else {
            unlink(name.c_str());
        }
    }
}

void fuzz_reset(ShellContext* ctx)
{
    if (ctx->pending_pipe != SYS_NO_HANDLE)
        sys_close(ctx->pending_pipe);
    ctx->pending_pipe = SYS_NO_HANDLE;
    std::vector<std::string> names;
    sys_for_each_env(collect_name, &names);
    for (const std::string& name : names)
        sys_set_env(name.c_str(), nullptr);
    sys_set_current_directory("/work");
    sys_flush_out();
    // Files left by one input would make later inputs slower and slower: nested loops over a
    // folder of thousands of files take time, rightly.
    clear_folder("/work");
}

std::string fuzz_text(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    return text.substr(0, text.find('\0'));
}

// The watchdog: one thread for the process, armed with a deadline for each input.
static std::mutex watch_lock;
static std::chrono::steady_clock::time_point watch_deadline;
static bool watch_armed = false;

static std::chrono::milliseconds input_time()
{
    const char* text = std::getenv("VREL_FUZZ_INPUT_MS");
    long ms = text ? std::strtol(text, nullptr, 10) : 0;
    return std::chrono::milliseconds(ms > 0 ? ms : 1000);
}

static void watch_inputs()
{
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::lock_guard<std::mutex> hold(watch_lock);
        if (watch_armed && std::chrono::steady_clock::now() > watch_deadline)
            interrupted = 1;
    }
}

FuzzWatch::FuzzWatch()
{
    // Detached, so that the fuzzer's own exit never waits for it.
    static const bool started = (std::thread(watch_inputs).detach(), true);
    static const std::chrono::milliseconds limit = input_time();
    (void)started;
    std::lock_guard<std::mutex> hold(watch_lock);
    watch_deadline = std::chrono::steady_clock::now() + limit;
    watch_armed = true;
    interrupted = 0;
}

FuzzWatch::~FuzzWatch()
{
    // Under the lock, so that the watchdog cannot raise the interrupt again after this.
    std::lock_guard<std::mutex> hold(watch_lock);
    watch_armed = false;
    interrupted = 0;
}
