#include "substitutes.h"

#include <iconv.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <thread>

#include "platform/thread.h"

namespace substitute {
namespace {

struct State {
    std::vector<std::unique_ptr<FakeForm>> forms;
    bool failForm = false;
    std::function<void()> whileLooping;
    int loopStatus = 0;
    platform::DateTime now = 0;
    std::vector<Launch> launches;
    bool failLaunch = false;
    std::vector<ErrorBox> errorBoxes;
    bool failThread = false;
    std::vector<std::function<void()>> pendingThreads;
    std::vector<std::thread> runningThreads;
    std::vector<std::string> events;
};

std::mutex stateMutex;  // guards `events` and `launches`, which threads may reach

State& state() {
    static State s;
    return s;
}

FakeForm* formOf(platform::ControlRef ref) {
    return static_cast<FakeForm*>(ref.form);
}

// Runs `f` on the control under the form's lock, unless the form is gone.
template <typename R, typename F>
R withControl(platform::ControlRef ref, R orElse, F f) {
    FakeForm* form = formOf(ref);
    if (form == nullptr) {
        return orElse;
    }
    std::lock_guard lock(form->mutex);
    if (form->destroyed || ref.id < 0 || ref.id >= static_cast<int>(form->controls.size())) {
        return orElse;
    }
    return f(form->controls[static_cast<std::size_t>(ref.id)]);
}

template <typename F>
void withControl(platform::ControlRef ref, F f) {
    withControl(ref, 0, [&](FakeControl& c) {
        f(c);
        return 0;
    });
}

}  // namespace

void reset() {
    joinThreads();
    State& s = state();
    s = State{};
    s.now = platform::toDateTime({2026, 3, 14, 14, 5, 9});
    resetNetwork();
}

FakeForm* lastForm() {
    return state().forms.empty() ? nullptr : state().forms.back().get();
}
void failFormCreation(bool fail) {
    state().failForm = fail;
}

FakeControl& control(platform::ControlRef ref) {
    FakeForm* form = formOf(ref);
    if (form == nullptr || ref.id < 0 || ref.id >= static_cast<int>(form->controls.size())) {
        throw std::out_of_range("no such control");
    }
    return form->controls[static_cast<std::size_t>(ref.id)];
}

void click(platform::ControlRef ref) {
    platform::Handler handler = withControl(ref, platform::Handler{}, [](FakeControl& c) {
        if (c.disabled) {
            return platform::Handler{};
        }
        if (c.kind == platform::ControlKind::CheckBox) {
            c.checked = !c.checked;
        }
        return c.onEvent;
    });
    if (handler != nullptr) {
        handler();
    }
}

void elapse(platform::Timer timer) {
    platform::Handler handler = withControl(timer.ref(), platform::Handler{}, [](FakeControl& c) {
        return c.period > 0 ? c.onEvent : platform::Handler{};
    });
    if (handler != nullptr) {
        handler();
    }
}

void setMessageLoop(std::function<void()> whileRunning, int status) {
    state().whileLooping = std::move(whileRunning);
    state().loopStatus = status;
}

void setNow(platform::DateTime now) {
    state().now = now;
}
void setNow(const platform::CivilTime& now) {
    state().now = platform::toDateTime(now);
}
platform::DateTime now() {
    return state().now;
}

std::vector<Launch> launches() {
    std::lock_guard lock(stateMutex);
    return state().launches;
}
void failLaunches(bool fail) {
    state().failLaunch = fail;
}
std::vector<ErrorBox> errorBoxes() {
    return state().errorBoxes;
}

void failThreadStart(bool fail) {
    state().failThread = fail;
}
int pendingThreads() {
    return static_cast<int>(state().pendingThreads.size());
}

void startPendingThreads() {
    std::vector<std::function<void()>> bodies;
    bodies.swap(state().pendingThreads);
    for (auto& body : bodies) {
        state().runningThreads.emplace_back(std::move(body));
    }
}

void joinThreads() {
    for (auto& t : state().runningThreads) {
        t.join();
    }
    state().runningThreads.clear();
}

void runPendingThreads() {
    startPendingThreads();
    joinThreads();
}

platform::Text gbk(const char* utf8) {
    iconv_t cd = iconv_open("CP936", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("no CP936 converter");
    }
    std::string in(utf8);
    std::string out(in.size() * 2 + 4, '\0');
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1)) {
        throw std::runtime_error("text not in code page 936");
    }
    out.resize(out.size() - outLeft);
    return out;
}

std::vector<std::string> events() {
    std::lock_guard lock(stateMutex);
    return state().events;
}

void recordEvent(const std::string& event) {
    std::lock_guard lock(stateMutex);
    state().events.push_back(event);
}

}  // namespace substitute

// --- the platform functions, realised over the substitutes ---

namespace platform {

using substitute::FakeControl;
using substitute::withControl;

bool Control::visible() const {
    return withControl(ref_, false, [](FakeControl& c) { return c.visible; });
}
void Control::setVisible(bool visible) {
    withControl(ref_, [&](FakeControl& c) { c.visible = visible; });
}
bool Control::disabled() const {
    return withControl(ref_, false, [](FakeControl& c) { return c.disabled; });
}
void Control::setDisabled(bool disabled) {
    withControl(ref_, [&](FakeControl& c) { c.disabled = disabled; });
}

Text Label::text() const {
    return withControl(ref_, Text{}, [](FakeControl& c) { return c.text; });
}
void Label::setText(const Text& text) {
    withControl(ref_, [&](FakeControl& c) { c.text = text.substr(0, text.find('\0')); });
}

Text Button::caption() const {
    return withControl(ref_, Text{}, [](FakeControl& c) { return c.text; });
}
void Button::setCaption(const Text& caption) {
    withControl(ref_, [&](FakeControl& c) { c.text = caption.substr(0, caption.find('\0')); });
}

bool CheckBox::checked() const {
    return withControl(ref_, false, [](FakeControl& c) { return c.checked; });
}

int DropDownList::selection() const {
    return withControl(ref_, -1, [](FakeControl& c) { return c.selection; });
}
void DropDownList::setSelection(int index) {
    withControl(ref_, [&](FakeControl& c) {
        const int count = static_cast<int>(c.items.size());
        c.selection = std::max(-1, std::min(index, count - 1));
    });
}
int DropDownList::itemCount() const {
    return withControl(ref_, 0, [](FakeControl& c) { return static_cast<int>(c.items.size()); });
}
Text DropDownList::itemText(int index) const {
    return withControl(ref_, Text{}, [&](FakeControl& c) {
        if (index < 0 || index >= static_cast<int>(c.items.size())) {
            return Text{};
        }
        return c.items[static_cast<std::size_t>(index)];
    });
}
void DropDownList::clear() {
    withControl(ref_, [](FakeControl& c) {
        c.items.clear();
        c.selection = -1;
    });
}
int DropDownList::addItem(const Text& text) {
    return withControl(ref_, -1, [&](FakeControl& c) {
        c.items.push_back(text.substr(0, text.find('\0')));
        return static_cast<int>(c.items.size()) - 1;
    });
}

DateTime DatePicker::value() const {
    return withControl(ref_, DateTime{}, [](FakeControl& c) { return toDateTime(c.value); });
}
void DatePicker::setValue(DateTime value) {
    withControl(ref_, [&](FakeControl& c) { c.value = toCivilTime(value); });
}
void DatePicker::setFormat(const Text& format) {
    withControl(ref_, [&](FakeControl& c) { c.format = format; });
}

int Timer::period() const {
    return withControl(ref_, 0, [](FakeControl& c) { return c.period; });
}
void Timer::setPeriod(int milliseconds) {
    withControl(ref_, [&](FakeControl& c) {
        c.period = std::max(0, milliseconds);
        ++c.periodWrites;
    });
}

Form& Form::operator=(Form&& other) noexcept {
    if (this != &other) {
        Form dying(std::move(*this));
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

Form::~Form() {
    if (handle_ != nullptr) {
        auto* form = static_cast<substitute::FakeForm*>(handle_);
        std::lock_guard lock(form->mutex);
        form->destroyed = true;
        substitute::recordEvent("formDestroyed");
    }
}

ControlRef Form::control(int index) const {
    return ControlRef{handle_, index};
}

void Form::showCentred() {
    static_cast<substitute::FakeForm*>(handle_)->shown = true;
    substitute::recordEvent("showCentred");
}

void initGui() {
    substitute::recordEvent("initGui");
}

Form createForm(const FormSpec& description) {
    substitute::recordEvent("createForm");
    auto& s = substitute::state();
    if (s.failForm) {
        return Form{};
    }
    auto form = std::make_unique<substitute::FakeForm>();
    form->caption = description.caption;
    form->outerWidth = description.outerWidth;
    form->outerHeight = description.outerHeight;
    const CivilTime created = toCivilTime(s.now);
    for (const ControlSpec& c : description.controls) {
        FakeControl fake;
        fake.kind = c.kind;
        fake.visible = c.visible;
        fake.text = c.text != nullptr ? c.text : "";
        fake.checked = c.kind == ControlKind::CheckBox;  // both boxes start ticked
        fake.value = created;
        fake.onEvent = c.onEvent;
        form->controls.push_back(fake);
    }
    s.forms.push_back(std::move(form));
    return Form{s.forms.back().get()};
}

int runMessageLoop() {
    substitute::recordEvent("messageLoop");
    auto& s = substitute::state();
    if (s.whileLooping) {
        s.whileLooping();
    }
    return s.loopStatus;
}

void showErrorBox(const Text& text, const Text& title) {
    substitute::recordEvent("errorBox");
    substitute::state().errorBoxes.push_back({text, title});
}

DateTime localNow() {
    return substitute::state().now;
}

bool runCommandLine(const Text& program, const Text& commandLine, bool waitForExit, ShowMode show) {
    if (substitute::state().failLaunch) {
        return false;
    }
    std::lock_guard lock(substitute::stateMutex);
    substitute::state().launches.push_back({program, commandLine, waitForExit, show});
    return true;
}

bool startDetachedThread(std::function<void()> body) {
    substitute::recordEvent("thread");
    auto& s = substitute::state();
    if (s.failThread) {
        return false;
    }
    s.pendingThreads.push_back(std::move(body));
    return true;
}

}  // namespace platform
