# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
# `make test` also builds everything again with AddressSanitizer and UndefinedBehaviorSanitizer,
# and the fuzz target with clang, and runs the tests of all three.
ASAN_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
APP_DIR := $(BUILD_DIR)/app
# Where `cmake --install` put the program, for `make autostart`.
PREFIX ?= /opt/quillscheduler

.PHONY: deps build build-asan build-fuzz run test screenshots autostart autostart-off clean

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j$$(nproc)

build-asan: deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILL_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j$$(nproc)

build-fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DQUILL_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j$$(nproc)

run: build
	$(APP_DIR)/quillscheduler

# The sanitized suite runs last, so the output ends with its summary.
test: build build-asan build-fuzz
	scripts/run-tests.sh $(FUZZ_DIR) $(BUILD_DIR) $(ASAN_DIR)

screenshots: build
	scripts/screenshots.sh $(BUILD_DIR)

autostart:
	scripts/autostart.sh on "$(PREFIX)"

autostart-off:
	scripts/autostart.sh off

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR)
