# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
APP_DIR := $(BUILD_DIR)/app

.PHONY: deps build run test clean

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j$$(nproc)

run: build
	$(APP_DIR)/quillscheduler

test: build
	scripts/run-tests.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
