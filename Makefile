# Two commands for a fresh machine: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
# More libFuzzer options for every target, e.g. FUZZ_FLAGS=-rss_limit_mb=512
FUZZ_FLAGS ?=
ASAN_BUILD ?= build-asan
FUZZ_TARGETS = program_file text_record sequence_decoder settings memory_names skin resource_list string_pack \
	message_format texture_ini bitmap record_dat hex_image virtual_robot command_line ghost_file picture course_file
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(abspath tools/lsan.supp):print_suppressions=0

.PHONY: all setup build test tsan run bench screenshot clean fuzz fuzz-build asan web

all: build

setup:
	@bash tools/setup.sh

build: setup
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) > /dev/null
	@cmake --build $(BUILD) -j $(JOBS)

test: build web
	@mkdir -p $(BUILD)/xdg && chmod 700 $(BUILD)/xdg
	cd $(BUILD) && XDG_RUNTIME_DIR=$(abspath $(BUILD))/xdg QT_QPA_PLATFORM=offscreen \
		ctest --output-on-failure -j $(JOBS) --timeout 300

# The simulator in the browser: the core built with Emscripten into $(BUILD)/web (page, script, module,
# packed application folder), served by any static web server. Without Emscripten it says so and
# stops (the page's test then skips).
WEB_BUILD ?= build-web
web: setup
	@if ! command -v em++ > /dev/null; then echo "make web: Emscripten is not installed; no page built"; exit 0; fi; \
	emcmake cmake -S web -B $(WEB_BUILD) -DTROVEL_WEB_OUT=$(abspath $(BUILD))/web > /dev/null && \
	cmake --build $(WEB_BUILD) -j $(JOBS)

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

# trovel-studio_<version>-<revision>_<arch>.deb and its -dbgsym package in the build folder, built
# with Debian's hardening flags from the build above (packaging/build_deb.sh).
.PHONY: package repo reproducible
package: build web
	@bash packaging/build_deb.sh $(BUILD) . $(BUILD)

# A signed apt repository in $(BUILD)/repo (see docs/teachers-guide.md); signed with a key made
# in $(BUILD)/repo-gnupg, or REPO_KEY=ID from GNUPGHOME.
repo: package
	@bash packaging/make_repo.sh $(BUILD)/repo $(abspath $(BUILD))/repo-gnupg $(BUILD)/trovel-studio_*.deb

# Two package builds of this commit in two fresh folders, compared byte for byte.
REPRO_BUILD ?= build-repro
reproducible: setup
	@bash packaging/reproducible.sh . $(REPRO_BUILD)

screenshot: build
	@bash tools/screenshot.sh $(BUILD)/bin/trovel-studio screenshot.png

fuzz-build:
	@bash tools/setup.sh fuzz
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
		-DCMAKE_CXX_COMPILER=clang++ -DTROVEL_FUZZ=ON -DTROVEL_SANITIZE=ON -DTROVEL_GUI=OFF \
		-DTROVEL_BENCH=OFF > /dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS)) > $(FUZZ_BUILD)/build.log 2>&1 \
		|| { tail -40 $(FUZZ_BUILD)/build.log; exit 1; }

# Each fuzzer runs FUZZ_SECONDS in its own folder under the fuzz build, from a copy of the committed
# seeds; a crash leaves its input there (crash-*, leak-*, timeout-*, oom-*) for fuzz/regressions/NAME.
# A target fails when it never starts (libFuzzer stops before the first input on a missing
# dictionary), runs out of memory or ends with an error; make fuzz then exits non-zero, naming them.
fuzz: fuzz-build
	@failed=""; \
	for t in $(FUZZ_TARGETS); do \
		work=$(FUZZ_BUILD)/fuzz-run/$$t; mkdir -p $$work/corpus; \
		cp -n fuzz/corpus/$$t/* $$work/corpus/ 2>/dev/null; \
		echo "== $$t ($(FUZZ_SECONDS) s)"; \
		(cd $$work && $(SANITIZER_ENV) $(abspath $(FUZZ_BUILD))/bin/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) \
			-dict=$(abspath fuzz/dict/$$t.dict) -print_final_stats=1 $(FUZZ_FLAGS) corpus \
			$$(ls -d $(abspath fuzz/regressions/$$t) 2>/dev/null)) > $$work/log.txt 2>&1; \
		status=$$?; \
		grep -E "^stat::number_of_executed_units|^stat::average_exec_per_sec|^stat::new_units_added" $$work/log.txt; \
		why=""; \
		if ! grep -qE "^#[0-9]+[[:space:]]+INITED" $$work/log.txt; then why="it did not start"; \
		elif grep -qiE "out-of-memory|out of memory" $$work/log.txt; then why="out of memory"; \
		elif [ $$status -ne 0 ]; then why="exit status $$status"; fi; \
		if [ -n "$$why" ]; then \
			echo "   FAILED ($$why): see $$work/log.txt"; tail -3 $$work/log.txt | sed 's/^/   | /'; \
			failed="$$failed $$t"; \
		fi; \
	done; \
	found=$$(find $(FUZZ_BUILD)/fuzz-run -mindepth 2 -maxdepth 2 \( -name 'crash-*' -o -name 'leak-*' \
		-o -name 'timeout-*' -o -name 'oom-*' \) | sort); \
	if [ -n "$$found" ]; then echo "$$found"; failed="$$failed (and the inputs listed above)"; fi; \
	if [ -n "$$failed" ]; then echo "make fuzz FAILED:$$failed"; exit 1; fi; \
	echo "make fuzz: every target ran and found nothing"

# The whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer, in its own build folder.
asan: setup
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTROVEL_SANITIZE=ON -DTROVEL_BENCH=OFF > /dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@mkdir -p $(ASAN_BUILD)/xdg && chmod 700 $(ASAN_BUILD)/xdg
	cd $(ASAN_BUILD) && XDG_RUNTIME_DIR=$(abspath $(ASAN_BUILD))/xdg QT_QPA_PLATFORM=offscreen $(SANITIZER_ENV) \
		ctest --output-on-failure -j $(JOBS) --timeout 900

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(ASAN_BUILD) $(WEB_BUILD)
