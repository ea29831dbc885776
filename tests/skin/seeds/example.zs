<info [240,320] name="Blue" author="Studio" comments="Portrait skin"/>
<panel [0,0] file="back.png" name="Back"/>
<button [10,250,48,48] file="buttons.png" src=[0,0,48,192] name="Play"/>
<time [60,20,120,24] digits=[100,88,64,52,28] ticks=[76,40] name="Time">
<sprite file="digits.png" src=[0,0,96,24]/>
</time>
<text [10,60,220,20] font="Tahoma" size=14 color=[255,255,255] center scrolling name="Title"/>
<frame name="Popup">
<slider [0,0,100,10] name="Vol"><sprite/><sprite name="BM"/><level [0,0,100,10] src=[0,0]/></slider>
</frame>
