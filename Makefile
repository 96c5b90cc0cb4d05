# The two set-up commands for a fresh Debian 12 machine: `make test` and `make run`.
.PHONY: deps test windows-test windows-installer run release package package-check clean format

deps:
	./scripts/install-deps.sh

test: deps
	cmake --preset dev
	cmake --build --preset dev
	ctest --preset dev
	./scripts/windows-tests.sh

# The Windows build and its tests under Wine alone (skipped without a Qt for MinGW-w64).
windows-test: deps
	./scripts/windows-tests.sh

# The Windows installer, build/windows/quillmere-VERSION-setup.exe, built with MinGW-w64 and NSIS.
windows-installer: deps
	./scripts/windows-installer.sh

release: deps
	cmake --preset release
	cmake --build --preset release

package: release
	cd build/release && cpack

# The .deb must pass lintian without errors (warnings are shown, not fatal).
package-check: package
	./scripts/install-deps.sh lintian
	lintian --fail-on error build/release/quillmere_*_amd64.deb

run: release
	./scripts/run-demo.sh build/release

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
