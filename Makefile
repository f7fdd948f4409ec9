# make build: build (release) into $(BUILD): the program is $(BUILD)/app/InboxPruner
# make run  : build (release) and start InboxPruner
# make test : build with sanitizers and run every test
# make install [PREFIX=/usr/local] [DESTDIR=...] : build (release) and install
JOBS ?= $(shell nproc)
BUILD ?= build
TEST_BUILD ?= build-test
PREFIX ?= /usr/local

.PHONY: deps build run install test test-build clean

deps:
	./scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DINBOX_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./scripts/start-app $(BUILD)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

test-build: deps
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DINBOX_SANITIZE=ON -DINBOX_WERROR=ON
	cmake --build $(TEST_BUILD) -j $(JOBS)

test: test-build
	cd $(TEST_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(TEST_BUILD)
