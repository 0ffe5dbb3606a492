# Two commands for a fresh machine: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all setup build test run bench screenshot clean

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

run: build
	@if [ -x $(BUILD)/bin/trovel-studio ]; then \
		$(BUILD)/bin/trovel-studio; \
	else \
		$(BUILD)/bin/trovel-cli check examples/line_follower.qxp && \
		$(BUILD)/bin/trovel-cli compile examples/line_follower.qxp; \
	fi

bench: build
	@for b in $(BUILD)/bench/*; do [ -x "$$b" ] && "$$b"; done

# trovel-studio_<version>_<arch>.deb in the build folder.
.PHONY: package
package: build
	cd $(BUILD) && cpack -G DEB

screenshot: build
	@bash tools/screenshot.sh $(BUILD)/bin/trovel-studio screenshot.png

clean:
	rm -rf $(BUILD)
