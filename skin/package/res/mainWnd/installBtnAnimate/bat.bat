@echo off
rem Renames exported frames to the three-digit names the skin uses.
setlocal enabledelayedexpansion
set n=0
for %%f in (frame*.png) do (
  set "name=00!n!"
  ren "%%f" "!name:~-3!.png"
  set /a n+=1
)
