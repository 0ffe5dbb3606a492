# Two commands for a fresh machine: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all setup build test tsan run bench screenshot clean

all: build

setup:
	@bash tools/setup.sh

build: setup
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) > /dev/null
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@mkdir -p $(BUILD)/xdg && chmod 700 $(BUILD)/xdg
	cd $(BUILD) && XDG_RUNTIME_DIR=$(abspath $(BUILD))/xdg QT_QPA_PLATFORM=offscreen \
		ctest --output-on-failure -j $(JOBS) --timeout 300

# The robot link's threads under ThreadSanitizer: the link thread, the transfers and the emulated
# robot through the core robot tests, and the transfer dialog's test. Qt is not instrumented:
# tools/tsan.supp ignores only the calls made inside Qt.
TSAN_BUILD ?= build-tsan
tsan: setup
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTROVEL_TSAN=ON -DTROVEL_BENCH=OFF > /dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target trovel_robot_tests gui_robot_transfer_test
	@mkdir -p $(TSAN_BUILD)/xdg && chmod 700 $(TSAN_BUILD)/xdg
	cd $(TSAN_BUILD) && export TSAN_OPTIONS="halt_on_error=1 suppressions=$(abspath tools/tsan.supp)" \
		XDG_RUNTIME_DIR=$(abspath $(TSAN_BUILD))/xdg QT_QPA_PLATFORM=offscreen && \
		./bin/trovel_robot_tests && ./bin/gui_robot_transfer_test -nocrashhandler

run: build
	@if [ -x $(BUILD)/bin/trovel-studio ]; then \
		$(BUILD)/bin/trovel-studio; \
	else \
		$(BUILD)/bin/trovel-cli check examples/line_follower.qxp && \
		$(BUILD)/bin/trovel-cli compile examples/line_follower.qxp; \
	fi

bench: build
	@for b in $(BUILD)/bench/*; do [ -x "$$b" ] && "$$b"; done

screenshot: build
	@bash tools/screenshot.sh $(BUILD)/bin/trovel-studio screenshot.png

clean:
	rm -rf $(BUILD)
