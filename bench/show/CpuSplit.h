#pragma once

// Splits the main thread's CPU time into the engine's own work and the work done inside the GL
// driver, by sampling: a timer on the main thread's CPU clock interrupts it as it spends CPU time
// (at most once per scheduler tick, so the counts are shares, not durations), and each sample is charged to GL when the interrupted call stack passes through a
// driver library (libGL, Mesa, LLVM, X) before reaching the program's own code, else to the
// engine. Library code that both sides call (libc, libstdc++, libm) is charged to whoever called
// it. The driver's own threads (the software rasteriser's workers) are counted from /proc as GL.
//
// Linux and glibc only (timer_create with SIGEV_THREAD_ID, backtrace, dl_iterate_phdr); used by
// benchmarks, never by the program.
#include <dirent.h>
#include <execinfo.h>
#include <link.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <ucontext.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

class CpuSplit {
public:
    enum Kind : uint8_t { kOther = 0, kOwn = 1, kDriver = 2 };

    static CpuSplit& Instance() {
        static CpuSplit split;
        return split;
    }

    // Call once the GL context exists (the driver's libraries are loaded), from the main thread.
    bool Start(long intervalMicroseconds = 1000) {
        MapLibraries();
        void* warm[4];
        backtrace(warm, 4);  // loads the unwinder outside the signal handler
        m_mainTid = static_cast<pid_t>(syscall(SYS_gettid));
        struct sigaction action {};
        action.sa_sigaction = &CpuSplit::OnSample;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        if (sigaction(SIGPROF, &action, nullptr) != 0) return false;
        clockid_t clock;
        if (pthread_getcpuclockid(pthread_self(), &clock) != 0) return false;
        sigevent event {};
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = SIGPROF;
        event._sigev_un._tid = m_mainTid;
        if (timer_create(clock, &event, &m_timer) != 0) return false;
        itimerspec period {};
        period.it_interval.tv_nsec = intervalMicroseconds * 1000;
        period.it_value = period.it_interval;
        m_intervalSeconds = static_cast<double>(intervalMicroseconds) * 1e-6;
        return timer_settime(m_timer, 0, &period, nullptr) == 0;
    }

    void Stop() {
        itimerspec period {};
        timer_settime(m_timer, 0, &period, nullptr);
        timer_delete(m_timer);
    }

    struct Reading {
        uint64_t own = 0, driver = 0, other = 0;  // samples
        double workerSeconds = 0.0;               // CPU of every thread but the main one
    };

    Reading Read() const {
        Reading r;
        r.own = m_counts[kOwn].load();
        r.driver = m_counts[kDriver].load();
        r.other = m_counts[kOther].load();
        r.workerSeconds = WorkerSeconds();
        return r;
    }
    double Interval() const { return m_intervalSeconds; }

private:
    struct Range {
        uintptr_t start, end;
        Kind kind;
    };

    static Kind Classify(const char* path, bool mainProgram) {
        if (mainProgram) return kOwn;
        const char* name = std::strrchr(path, '/');
        name = name ? name + 1 : path;
        static const char* const kDriverLibraries[] = {"libGL", "libEGL", "libgallium", "libLLVM", "libglapi",
                                                       "swrast", "libdrm", "libX", "libxcb", "libxshmfence",
                                                       "libvulkan", "libsensors", "libelf", "libz.", "libzstd",
                                                       "libexpat", "libglut", "libGLU", "libGLEW"};
        for (const char* prefix : kDriverLibraries)
            if (std::strncmp(name, prefix, std::strlen(prefix)) == 0) return kDriver;
        return kOther;
    }

    void MapLibraries() {
        m_ranges.clear();
        dl_iterate_phdr(
            [](dl_phdr_info* info, size_t, void* data) {
                auto* self = static_cast<CpuSplit*>(data);
                const bool mainProgram = info->dlpi_name == nullptr || info->dlpi_name[0] == '\0';
                const Kind kind = Classify(info->dlpi_name ? info->dlpi_name : "", mainProgram);
                for (int i = 0; i < info->dlpi_phnum; ++i) {
                    const ElfW(Phdr)& ph = info->dlpi_phdr[i];
                    if (ph.p_type != PT_LOAD || !(ph.p_flags & PF_X)) continue;
                    const uintptr_t start = info->dlpi_addr + ph.p_vaddr;
                    self->m_ranges.push_back({start, start + ph.p_memsz, kind});
                }
                return 0;
            },
            this);
        std::sort(m_ranges.begin(), m_ranges.end(), [](const Range& a, const Range& b) { return a.start < b.start; });
    }

    Kind KindOf(uintptr_t address) const {
        size_t lo = 0, hi = m_ranges.size();
        while (lo < hi) {
            const size_t mid = (lo + hi) / 2;
            if (m_ranges[mid].end <= address) lo = mid + 1;
            else hi = mid;
        }
        if (lo < m_ranges.size() && m_ranges[lo].start <= address) return m_ranges[lo].kind;
        return kOther;
    }

    static void OnSample(int, siginfo_t*, void* context) {
        CpuSplit& self = Instance();
        const auto* uc = static_cast<const ucontext_t*>(context);
        const uintptr_t pc = static_cast<uintptr_t>(uc->uc_mcontext.gregs[REG_RIP]);
        Kind kind = self.KindOf(pc);
        if (kind == kOther) {
            void* frames[48];
            const int n = backtrace(frames, 48);
            // Skip the handler and the signal trampoline: callers start after the interrupted pc.
            int at = 0;
            while (at < n && reinterpret_cast<uintptr_t>(frames[at]) != pc) ++at;
            for (int i = at + 1; i < n && kind == kOther; ++i)
                kind = self.KindOf(reinterpret_cast<uintptr_t>(frames[i]) - 1);
        }
        self.m_counts[kind].fetch_add(1, std::memory_order_relaxed);
    }

    double WorkerSeconds() const {
        double seconds = 0.0;
        DIR* dir = opendir("/proc/self/task");
        if (!dir) return 0.0;
        const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == m_mainTid) continue;
            const std::string path = std::string("/proc/self/task/") + entry->d_name + "/stat";
            FILE* f = std::fopen(path.c_str(), "r");
            if (!f) continue;
            char line[1024];
            const size_t got = std::fread(line, 1, sizeof line - 1, f);
            std::fclose(f);
            line[got] = '\0';
            // Fields after the command's closing parenthesis: utime and stime are the 12th and 13th.
            const char* p = std::strrchr(line, ')');
            if (!p) continue;
            unsigned long utime = 0, stime = 0;
            if (std::sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) == 2)
                seconds += static_cast<double>(utime + stime) / tick;
        }
        closedir(dir);
        return seconds;
    }

    std::vector<Range> m_ranges;
    std::atomic<uint64_t> m_counts[3] = {};
    timer_t m_timer{};
    pid_t m_mainTid = 0;
    double m_intervalSeconds = 0.001;
};
