// Yardstick: a process that does nothing but sleep 70 ms at a time.

#include <chrono>
#include <thread>

int main()
{
    for (;;)
        std::this_thread::sleep_for(std::chrono::milliseconds(70));
}
